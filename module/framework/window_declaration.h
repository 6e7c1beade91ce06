// How a window is declared: the one vocabulary of the table windows, the SIM window's fields and
// the inquiry window's criteria.
//
//   caption, rights        the title and the entity ids of its rights, TableOf<R>().rights of
//                          the table of records R it maintains
//   names                  the objectNames it publishes for its list and its buttons
//   serviceLists           the service lists queried at start, in order; the first failure
//                          keeps the window from opening
//   criteria               CriterionDeclaration: a check box (box, caption) and its editors
//   fields                 FieldDeclaration: the edit area, one label and control per member
//   checks                 the edit area's check, when its order is not that of the fields
//   columns                ColumnDeclaration: the result list, caption, width, member, shown as
//   operations             TableOperations<R>(), or QueryOnly(&CResRemoteSim::qry_x) for a
//                          window without writes
//   texts, policies        the messages, and the behaviours in which the windows differ
//
// Every editor, field and column names its kind of control (control_kinds.h): TextEdit(4),
// NumberEdit(11), CodeListCombo(rsimcatalog::Regions), ServiceCombo(CardTypes()),
// ProvinceCombo(), DatePicker().
// A kind builds its control under the declared name (its objectName), loads its code list or
// service list once while the window initialises, fills, shows and reads it.
#pragma once

#include "window_parts.h"

#include <functional>
#include <vector>

namespace rsimform {

enum class OnClear { Untick, Tick, Keep };
enum class DeleteSends { EditArea, ClickedRecord, ClickedKey };

struct EditorDeclaration {
    QString name = {};
    Kind kind = {};
    int member = -1;      // member of the criteria record
    QString message = {}; // shown when the box is ticked and the editor empty; empty: no check
    QString label = {};   // a label before the editor (the second editor of a range)
    Reset reset = Reset::Default;
    QString copiesTo = {};    // leaving the editor copies its text into this editor
    bool sentAsTyped = false; // the criterion is sent untrimmed
};

struct CriterionDeclaration {
    QString box =
        {}; // empty: the editors stand under a plain label and the query does not read them
    QString caption = {};
    std::vector<EditorDeclaration> editors = {};
    OnClear onClear = OnClear::Untick;
    bool clickSelectsOperatorsRegion = false;
    bool clickEmptiesEditors = false;
    QString linkedBox = {}; // ticks and unticks together with this box
};

// A criterion whose box Clear ticks, its combo box then showing its first item.
inline CriterionDeclaration TickedByClear(CriterionDeclaration criterion)
{
    criterion.onClear = OnClear::Tick;
    for (auto& editor : criterion.editors)
        editor.reset = Reset::FirstItem;
    return criterion;
}

struct FieldDeclaration {
    QString label = {};
    QString name = {};
    Kind kind = {};
    int member = -1;
    QString message = {}; // non-empty: the field is required and this is shown when it is empty
    bool key = false;     // locked by a row click
    Reset reset = Reset::Default;
    QString copiesTo = {};
    bool modifySendsEdited = false; // a key whose edited value Modify sends all the same
    bool showsEmptyCode = false;    // see Policies::clickKeepsChoiceOnEmptyCode
};

struct Operations {
    const CTvdTypeInfo* criteriaType = nullptr;
    const CTvdTypeInfo* listType = nullptr;
    std::function<bool(CResRemoteSim&, const CTvdBasicStructObject&, CTvdBasicListObject&,
                       CBSErrorMsg&)>
        query;
    using Write = std::function<bool(CResRemoteSim&, const MResRemoteMgntApp::SOpInfo&,
                                     const CTvdBasicListObject&, CBSErrorMsg&)>;
    Write add, modify, remove; // all empty: a query-only window
};

template <class Criteria, class List>
Operations QueryOnly(bool (CResRemoteSim::*query)(const Criteria&, List&, CBSErrorMsg&))
{
    Operations ops;
    ops.criteriaType = &Criteria::typeInfo();
    ops.listType = &List::typeInfo();
    ops.query = [query](CResRemoteSim& s, const CTvdBasicStructObject& c, CTvdBasicListObject& out,
                        CBSErrorMsg& e) {
        return (s.*query)(static_cast<const Criteria&>(c), static_cast<List&>(out), e);
    };
    return ops;
}

// Binds a table's four operations of CResRemoteSim.
template <class Criteria, class List>
Operations OperationsOf(
    bool (CResRemoteSim::*query)(const Criteria&, List&, CBSErrorMsg&),
    bool (CResRemoteSim::*add)(const MResRemoteMgntApp::SOpInfo&, const List&, CBSErrorMsg&),
    bool (CResRemoteSim::*modify)(const MResRemoteMgntApp::SOpInfo&, const List&, CBSErrorMsg&),
    bool (CResRemoteSim::*remove)(const MResRemoteMgntApp::SOpInfo&, const List&, CBSErrorMsg&))
{
    auto write = [](auto method) {
        return [method](CResRemoteSim& s, const MResRemoteMgntApp::SOpInfo& info,
                        const CTvdBasicListObject& list, CBSErrorMsg& e) {
            return (s.*method)(info, static_cast<const List&>(list), e);
        };
    };
    Operations ops = QueryOnly(query);
    ops.add = write(add);
    ops.modify = write(modify);
    ops.remove = write(remove);
    return ops;
}

// The four operations of CResRemoteSim on the table of records R, by the table's row of
// RSIM_FAMILIES.
template <class R>
Operations TableOperations();
#define RSIM_TABLE_OPERATIONS_(Rec, suffix, ...)                                                   \
    template <>                                                                                    \
    inline Operations TableOperations<MResRemoteMgntDef::Rec>()                                    \
    {                                                                                              \
        return OperationsOf(&CResRemoteSim::qry_##suffix, &CResRemoteSim::add_##suffix,            \
                            &CResRemoteSim::mod_##suffix, &CResRemoteSim::del_##suffix);           \
    }
RSIM_FAMILIES(RSIM_TABLE_OPERATIONS_)
#undef RSIM_TABLE_OPERATIONS_

struct Texts {
    QString noRows = "没有查询到数据!";
    int noRowsIcon = MB_ICONHAND;
    QString addOk = "提示：信息新增成功!";
    QString modifyOk = "提示：信息修改成功!";
    QString deleteOk = "提示：信息删除成功!";
    QString deleteWait = "正在删除中，请稍候...";
    QString addFailed = "异常：调用接口失败\n[%s]\n[%s]!";
    QString modifyFailed = "异常：调用接口失败\n[%s]\n[%s]!";
    QString deleteFailed = "异常：调用接口失败\n[%s]\n[%s]!";
    // Shown by Modify and Delete when no row is selected; empty: they do nothing.
    QString selectToModify = {};
    QString selectToDelete = {};
};

// The behaviours in which the windows differ.
struct Policies {
    // Modify and Delete ask "您确认修改吗？" / "您确认删除吗？" first.
    bool confirm = true;
    // Opening, queries and writes run under a wait box, over which a failure is shown. Without
    // it, a window also opens when the system-management library refuses to start.
    bool waitBox = true;
    // A query fills the list and clicks its first row, and a write refills it from the records
    // held. Otherwise a query's rows stay unselected, Add appends the row the edit area shows,
    // Modify rewrites the columns `modifyRefreshes` of the selected row and Delete removes the
    // focused row; Add disables itself, and a failed Modify or Delete its button.
    bool refillAfterWrite = true;
    // Modify sends the key fields of the clicked row, which the click locked, not the editors'
    // (but for FieldDeclaration::modifySendsEdited).
    bool modifySendsClickedKey = false;
    DeleteSends deleteSends = DeleteSends::EditArea;
    // The edit area's Clear shows the empty record, but in the combo boxes of a declared reset;
    // otherwise it selects every combo box's first item and empties the editors.
    bool clearShowsEmptyRecord = true;
    // A row click leaves a combo box's choice when the row's code is empty, but in the fields
    // that show empty codes.
    bool clickKeepsChoiceOnEmptyCode = false;
    // The edit area's check takes a text of blanks for empty.
    bool blanksAreEmpty = false;
    bool starsRequired = false;  // the labels of required fields are marked "＊"
    bool editorsStretch = false; // the editors' columns take the width left
};

// The edit area's check of a field, in an order of its own.
struct CheckDeclaration {
    QString field;
    QString message; // shown when the field is empty
};

struct WindowDeclaration {
    QString caption;
    RightIds rights;
    ControlNames names;
    std::vector<const ServiceList*> serviceLists;
    bool codeLists = true; // some control shows a code list of the account library
    std::vector<CriterionDeclaration> criteria;
    std::vector<FieldDeclaration> fields;
    std::vector<CheckDeclaration> checks; // empty: the fields' messages, in their order
    std::vector<ColumnDeclaration> columns;
    std::vector<int> modifyRefreshes; // column numbers, 0 being the caption
    Operations operations;
    Texts texts;
    Policies policies;
};

// The catalog row's caption of the table of records R, the title of its window.
template <class R>
QString CaptionOf()
{
    const std::string_view caption = rsimcatalog::TableOf<R>().caption;
    return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

// The window of the table of records R as its catalog row declares it: caption, rights and the
// table's four operations.
template <class R>
WindowDeclaration TableWindow()
{
    WindowDeclaration declaration;
    declaration.caption = CaptionOf<R>();
    declaration.rights = rsimcatalog::TableOf<R>().rights;
    declaration.operations = TableOperations<R>();
    return declaration;
}

// The declaration turned into one that edits its list in place: no confirmation, no wait box,
// no refill after a write, Modify and Delete send the clicked row's key, "[x]不能为空" checks of
// trimmed texts, and the list and its buttons named "lstvShowList", "btnMod", "btnDel".
WindowDeclaration InPlaceEditing(WindowDeclaration declaration);

} // namespace rsimform
