// The registry window, written once: the pattern of the vendor-library and authentication-card
// windows. Like the reference-table window it has criteria with check boxes, a result list, an
// edit area and the action buttons, but its handlers behave otherwise: no wait box, no
// confirmation, no refill after a write; a row that Add appends is not linked to any record;
// the edit area is checked in an order of its own with "[x]不能为空" messages; Modify and
// Delete send the key of the row last clicked.
//
// A window of this kind is a RegistryDeclaration, which is data:
//
//   caption, rights        the title and the entity ids of its add, modify and delete rights
//   serviceLists, codeLists
//                          the service lists queried at start, in order, and whether the
//                          account library's code lists are used
//   criteria               RegistryCriterion: check box, caption, editor, its kind and member,
//                          the message when ticked and empty, what Clear does with it, whether
//                          its text is sent as typed rather than trimmed
//   fields                 RegistryField: the edit area; key fields are locked by a row click
//                          and sent by Modify and Delete from the clicked record
//   checks                 the edit-area check: field and message, in the window's order
//   columns                the result list (ColumnDeclaration); a row appended by Add shows, per
//                          column, the text of the edit-area control of that member
//   modifyRefreshes        the columns that a successful Modify rewrites from the record sent
//   operations, texts      the four service operations; the texts that differ between windows
//
// Kinds of control are those of control_kinds.h. Deviations of one window override the
// virtual hooks (Stamp, AppendedCells, FinishInit) or add controls to the bottom bar.
#pragma once

#include "maintenance_form.h"

#include <QHBoxLayout>

namespace rsimform {

struct RegistryCriterion {
    QString box;
    QString caption;
    QString editor;
    Kind kind;
    int member = -1;
    QString message; // shown when the box is ticked and the editor empty
    bool tickedByClear =
        false; // Clear ticks the box and selects the first item; else it unticks and empties
    bool sentAsTyped = false; // the criterion is sent untrimmed
};

struct RegistryField {
    QString label;
    QString name;
    Kind kind;
    int member = -1;
    bool key = false; // locked by a row click; Modify and Delete send the clicked value
    bool modifySendsEdited = false; // a key field whose edited value Modify sends all the same
    // A row click positions a choice only on a code the row has, unless this is set: then an
    // empty code leaves it without selection.
    bool showsEmptyCode = false;
};

struct RegistryCheck {
    QString field;
    QString message; // shown when the field's trimmed text is empty
};

struct RegistryTexts {
    QString addOk = "提示：新增信息成功!";
    QString modifyFailed = "异常：调用修改接口失败\n[%s]\n[%s]!";
};

struct RegistryDeclaration {
    QString caption;
    RightIds rights;
    // Queried in this order when the window opens; the first failure keeps it from opening.
    std::vector<const ServiceList*> serviceLists;
    bool codeLists = false; // some control shows a code list of the account library
    std::vector<RegistryCriterion> criteria;
    std::vector<RegistryField> fields;
    std::vector<RegistryCheck> checks;
    std::vector<ColumnDeclaration> columns;
    std::vector<int> modifyRefreshes; // column numbers, 0 being the caption
    Operations operations;
    RegistryTexts texts;
};

} // namespace rsimform

class TfrmRegistry : public TfrmRemoteSimBase {
public:
    TfrmRegistry(QWidget* owner, rsimform::RegistryDeclaration declaration);
    ~TfrmRegistry() override;

    void btnQueryClick();
    void lstShowDataListClick();
    void btnAddClick();
    void btnModifyClick();
    void btnDeleteClick();
    void btnClearClick();
    void btnClearBaseClick();
    void btnCloseClick() { Close(); }

protected:
    // The declared service lists, in order; the first failure keeps the window from opening.
    bool LoadServiceLists() override;
    // Loads and fills what the controls show, then clears the window.
    void Prepare() override;
    // What every record the window sends carries besides its controls.
    virtual void Stamp(CTvdBasicStructObject&) const {}
    // The cells of the row that a successful Add appends.
    virtual QStringList AppendedCells(CTvdBasicStructObject& sent);

    QString Cell(CTvdBasicStructObject& record, const rsimform::ColumnDeclaration& column);

    rsimform::RegistryDeclaration declaration_;
    TListViewEx* lstShowDataList = nullptr;
    QPushButton* btnQuery = nullptr;
    QPushButton* btnClearBase = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnModify = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    QHBoxLayout* bottomBar_ = nullptr;

private:
    void BuildLayout();
    QWidget* BuildCriteria();
    QWidget* BuildEditArea();
    QWidget* BuildButtons();
    std::unique_ptr<CTvdBasicStructObject> NewRecord() const;
    std::unique_ptr<CTvdBasicListObject> NewList() const;
    bool CheckQueryInput();
    bool CheckBaseInput();
    // A new record: the edit area read, key members from the clicked record where `keyFromClicked`.
    std::unique_ptr<CTvdBasicStructObject> RecordFromEditArea(bool keyFromClicked,
                                                              bool skipEditedKeys);
    std::unique_ptr<CTvdBasicStructObject> KeyOfClicked();
    bool Send(const rsimform::Operations::Write& write, CTvdBasicStructObject& record,
              const QString& failure);

    std::unique_ptr<CTvdBasicListObject> result_;
    std::unique_ptr<CTvdBasicStructObject> current_;
};
