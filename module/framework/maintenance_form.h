// The table window, written once: criteria with check boxes, a result list, an edit area for one
// record and the action buttons. A window derives from TfrmMaintenance and hands it a
// WindowDeclaration (window_declaration.h), which is data; its policies say how it confirms,
// waits, follows a write in its list and which key a modify sends. A deviation of one window
// alone overrides a virtual handler or hook in the window's own class.
//
// Query-only windows have no edit area and no add, modify and delete buttons; a row click makes
// the row's record the current record.
#pragma once

#include "form_registry.h"
#include "record_rows.h"
#include "window_declaration.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>

#include <memory>

class QGridLayout;

class TfrmMaintenance : public TfrmRemoteSimBase {
public:
    TfrmMaintenance(QWidget* owner, rsimform::WindowDeclaration declaration);
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
    bool LoadServiceLists() override;
    void Prepare() override;
    virtual bool CheckQueryInput();
    virtual bool CheckBaseInput();
    virtual void ReadRecord(CTvdBasicStructObject& record);
    virtual void ShowRecord(CTvdBasicStructObject& record);
    virtual void FillList();
    // What every record the window sends carries besides its controls.
    virtual void Stamp(CTvdBasicStructObject&) const {}
    // The cells of the row that a successful Add appends to a list edited in place: per column,
    // the text of the edit-area control of that member, else the record's cell.
    virtual QStringList AppendedCells(CTvdBasicStructObject& sent);

    QString Cell(CTvdBasicStructObject& record, const rsimform::ColumnDeclaration& column);
    std::unique_ptr<CTvdBasicStructObject> NewRecord() const;
    std::unique_ptr<CTvdBasicListObject> ListOf(const CTvdBasicStructObject& record) const;
    // The record a modify or delete sends.
    std::unique_ptr<CTvdBasicStructObject> RecordToModify();
    std::unique_ptr<CTvdBasicStructObject> RecordToDelete();
    // Runs a write, under its wait box when the window waits; true when the service accepted
    // it, the wait box then showing "正在更新控件界面中，请稍候...".
    bool Write(const rsimform::Operations::Write& operation, const QString& waitText,
               const QString& failureFormat, CTvdBasicStructObject& record);
    QCheckBox* Box(const rsimform::CriterionDeclaration& criterion) const;

    rsimform::WindowDeclaration declaration_;
    TListViewEx* lstShowDataList = nullptr;
    rsimform::RecordRows* rows_ = nullptr; // what lstShowDataList shows
    QPushButton* btnQuery = nullptr;
    QPushButton* btnClearBase = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnModify = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    QHBoxLayout* bottomBar_ = nullptr;
    std::unique_ptr<CTvdBasicListObject> result_;
    std::unique_ptr<CTvdBasicStructObject> current_;

private:
    void BuildLayout();
    QWidget* BuildCriteria();
    QWidget* BuildEditArea();
    QWidget* BuildButtons();
    QWidget* Build(const rsimform::Kind& kind, QWidget* parent, const QString& name,
                   const QString& copiesTo);
    void CriterionClicked(const rsimform::CriterionDeclaration& criterion, bool ticked);
    bool Run(const char* failureFormat, const std::function<bool(CBSErrorMsg&)>& call,
             const char* successWaitText);
    // Modify and Delete: the confirmation and the selected row; false when they stop here.
    bool ConfirmedOnARow(const char* question, const QString& noRowText);
    // After a write the service accepted: the list refilled and the wait box closed.
    void Refill();
    bool Waits() const { return declaration_.policies.waitBox; }
    bool Refills() const { return declaration_.policies.refillAfterWrite; }
    const CTvdTypeInfo& RecordType() const;
};

namespace rsimform {

// Registers the window of the table of records R, which Declare declares, for the function code
// of the table's catalog row: a table window, or a Form of the window's own.
template <class R, WindowDeclaration (*Declare)(), class Form = TfrmMaintenance>
class TableWindowRegistration {
public:
    TableWindowRegistration()
    {
        RegisterForm(rsimcatalog::TableOf<R>().functionCode,
                     []() -> TfrmRemoteSimBase* { return new Form(nullptr, Declare()); });
    }
};

} // namespace rsimform
