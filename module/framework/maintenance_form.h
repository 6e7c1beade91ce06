// The reference-table window, written once: criteria with check boxes, a result list, an edit
// area for one record and the action buttons.
//
// How a window declares itself. A window derives from TfrmMaintenance and hands it a
// MaintenanceDeclaration, which is data:
//
//   caption, rights        the title and the entity ids of its rights, TableOf<R>().rights of
//                          the table of records R it maintains
//   criteria               CriterionDeclaration: a check box (box, caption) and its editors
//   fields                 FieldDeclaration: the edit area, one label and control per record member
//   columns                ColumnDeclaration: the result list, caption, width, member and how shown
//   operations             TableOperations<R>(), or QueryOnly(&CResRemoteSim::qry_x) for a
//                          window without writes
//   texts                  the success messages and the delete wait text
//
// Every editor, field and column names its kind of control (control_kinds.h): TextEdit(4),
// NumberEdit(11), CodeListCombo(rsimcatalog::Regions), ServiceCombo(CardTypes()), ProvinceCombo(), DatePicker().
// A kind builds its control under the declared name (its objectName), loads its code list or
// service list once while the window initialises, fills, shows and reads it.
//
// Deviations that several windows share are options of the declarations:
//   EditorDeclaration::copiesTo / FieldDeclaration::copiesTo
//                          leaving the editor for another control of the window copies its
//                          text into the named editor (a range's first number into its last)
//   EditorDeclaration::reset / FieldDeclaration::reset
//                          what Clear selects in a combo box: Reset::FirstItem or
//                          Reset::OperatorsRegion instead of the default (criterion combos keep
//                          their choice, edit-area combos show the empty record)
//   CriterionDeclaration::onClear Clear unticks the box (default), ticks it, or keeps it
//   CriterionDeclaration::clickSelectsOperatorsRegion, CriterionDeclaration::clickEmptiesEditors
//                          what a click on the box does besides switching its editors
//   MaintenanceDeclaration::modifyKeepsKey
//                          modify sends the key fields of the clicked row, not of the editors
//   MaintenanceDeclaration::starsRequired
//                          the labels of required fields are marked "＊"
//   MaintenanceDeclaration::deleteSends
//                          delete sends the edit area (default), the clicked record, or only the
//                          clicked record's key fields
// A deviation of one window alone overrides the virtual handler in the window's own class.
//
// Query-only windows have no edit area and no add, modify and delete buttons; a row click makes
// the row's record the current record.
#pragma once

#include "window_parts.h"

#include <QCheckBox>
#include <QPushButton>

#include <functional>
#include <memory>
#include <vector>

class QGroupBox;
class QGridLayout;

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
    QString copiesTo = {};
};

struct CriterionDeclaration {
    QString box =
        {}; // empty: the editors stand under a plain label and the query does not read them
    QString caption = {};
    std::vector<EditorDeclaration> editors = {};
    OnClear onClear = OnClear::Untick;
    bool clickSelectsOperatorsRegion = false;
    bool clickEmptiesEditors = false;
};

struct FieldDeclaration {
    QString label = {};
    QString name = {};
    Kind kind = {};
    int member = -1;
    QString message = {}; // non-empty: the field is required and this is shown when it is empty
    bool key = false;
    Reset reset = Reset::Default;
    QString copiesTo = {};
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
    QString addOk = "提示：信息新增成功!";
    QString modifyOk = "提示：信息修改成功!";
    QString deleteOk = "提示：信息删除成功!";
    QString deleteWait = "正在删除中，请稍候...";
};

struct MaintenanceDeclaration {
    QString caption;
    RightIds rights;
    std::vector<CriterionDeclaration> criteria;
    std::vector<FieldDeclaration> fields;
    std::vector<ColumnDeclaration> columns;
    Operations operations;
    Texts texts;
    bool modifyKeepsKey = false;
    DeleteSends deleteSends = DeleteSends::EditArea;
    bool starsRequired = false; // the labels of required fields begin with "＊"
};

} // namespace rsimform

class TfrmMaintenance : public TfrmRemoteSimBase {
public:
    TfrmMaintenance(QWidget* owner, rsimform::MaintenanceDeclaration declaration);
    ~TfrmMaintenance() override;

    virtual void btnQueryClick();
    virtual void lstShowDataListClick();
    virtual void btnAddClick();
    virtual void btnModifyClick();
    virtual void btnDeleteClick();
    virtual void btnClearClick();
    virtual void btnClearBaseClick();
    void btnCloseClick() { Close(); }

    bool QueryOnlyWindow() const { return !declaration_.operations.add; }

protected:
    void Prepare() override;
    virtual bool CheckQueryInput();
    virtual bool CheckBaseInput();
    virtual void ReadRecord(CTvdBasicStructObject& record);
    virtual void ShowRecord(CTvdBasicStructObject& record);
    virtual void FillList();

    std::unique_ptr<CTvdBasicStructObject> NewRecord() const;
    std::unique_ptr<CTvdBasicListObject> ListOf(const CTvdBasicStructObject& record) const;
    // The record a modify or delete sends.
    std::unique_ptr<CTvdBasicStructObject> RecordToModify();
    std::unique_ptr<CTvdBasicStructObject> RecordToDelete();
    // Runs a write under its wait box; true when the service accepted it, the wait box then
    // showing "正在更新控件界面中，请稍候...".
    bool Write(const rsimform::Operations::Write& operation, const QString& waitText,
               CTvdBasicStructObject& record);
    QCheckBox* Box(const rsimform::CriterionDeclaration& criterion) const;

    rsimform::MaintenanceDeclaration declaration_;
    TListViewEx* lstShowDataList = nullptr;
    QPushButton* btnQuery = nullptr;
    QPushButton* btnClearBase = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnModify = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    std::unique_ptr<CTvdBasicListObject> result_;
    std::unique_ptr<CTvdBasicStructObject> current_;

private:
    void BuildLayout();
    QGroupBox* BuildCriteria();
    QGroupBox* BuildEditArea();
    QWidget* BuildButtons();
    QWidget* Build(const rsimform::Kind& kind, QWidget* parent, const QString& name,
                   const QString& copiesTo);
    void CriterionClicked(const rsimform::CriterionDeclaration& criterion, bool ticked);
    void SetEditButtons(bool add, bool modify, bool remove);
    const CTvdTypeInfo& RecordType() const;
};
