// The reference-table window, written once: criteria with check boxes, a result list, an edit
// area for one record and the action buttons. A window of this kind is the declaration of its
// criteria, edit fields, columns, operations and texts (MaintenanceSpec) plus its deviations,
// which override the virtual handlers.
#pragma once

#include "form_base.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <functional>
#include <map>
#include <memory>
#include <vector>

class QGroupBox;
class QGridLayout;

namespace rsimform {

// How a control shows and reads a member.
enum class Control {
    Edit,          // QLineEdit: the text as it is
    LookupCombo,   // QComboBox of a code list: CodeOfItem / ItemOfCode of the category
    ProvinceCombo, // QComboBox of "[code] name" provinces: the bracketed code
};

struct CriterionSpec {
    QString checkBox; // check box name; empty: the editor has a plain label and is not read
    QString caption;
    QString editor;
    int maxLength = 0;
    int member = -1; // member of the criteria record
    QString message; // shown when ticked and empty
    Control control = Control::Edit;
    int category = 0;
};

struct FieldSpec {
    QString label;
    QString control;
    int maxLength = 0;
    int member = -1;
    bool required = false;
    bool key = false;
    QString message; // shown when required and empty
    Control kind = Control::Edit;
    int category = 0;
};

struct ColumnSpec {
    QString caption;
    int width = 100;
    int member = -1;
    int category = 0; // non-zero: shown as ItemOfCode of the code in that code list
};

struct Operations {
    const CTvdTypeInfo* criteriaType = nullptr;
    const CTvdTypeInfo* listType = nullptr;
    std::function<bool(CResRemoteSim&, const CTvdBasicStructObject&, CTvdBasicListObject&, CBSErrorMsg&)> query;
    using Write = std::function<bool(CResRemoteSim&, const MResRemoteMgntApp::SOpInfo&,
                                     const CTvdBasicListObject&, CBSErrorMsg&)>;
    Write add, modify, remove;
};

// Binds a table's four operations of CResRemoteSim.
template <class Criteria, class List>
Operations OperationsOf(bool (CResRemoteSim::*query)(const Criteria&, List&, CBSErrorMsg&),
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
    Operations ops;
    ops.criteriaType = &Criteria::typeInfo();
    ops.listType = &List::typeInfo();
    ops.query = [query](CResRemoteSim& s, const CTvdBasicStructObject& c, CTvdBasicListObject& out,
                        CBSErrorMsg& e) {
        return (s.*query)(static_cast<const Criteria&>(c), static_cast<List&>(out), e);
    };
    ops.add = write(add);
    ops.modify = write(modify);
    ops.remove = write(remove);
    return ops;
}

struct Texts {
    QString addOk = "提示：信息新增成功!";
    QString modifyOk = "提示：信息修改成功!";
    QString deleteOk = "提示：信息删除成功!";
    QString deleteWait = "正在删除中，请稍候...";
};

struct MaintenanceSpec {
    QString caption;
    RightIds rights;
    std::vector<CriterionSpec> criteria;
    std::vector<FieldSpec> fields;
    std::vector<ColumnSpec> columns;
    Operations operations;
    Texts texts;
};

} // namespace rsimform

class TfrmMaintenance : public TfrmRemoteSimBase {
public:
    TfrmMaintenance(QWidget* owner, rsimform::MaintenanceSpec spec);
    ~TfrmMaintenance() override;

    bool InitForm(int reserved, const MSysmgntDef::SOperator* op) override;

    virtual void btnQueryClick();
    virtual void lstShowDataListClick();
    virtual void btnAddClick();
    virtual void btnModifyClick();
    virtual void btnDeleteClick();
    virtual void btnClearClick();
    virtual void btnClearBaseClick();
    void btnCloseClick() { Close(); }

    const CTvdBasicListObject& ResultList() const { return *result_; }

protected:
    void Prepare(CAccountPublic& account) override;
    virtual bool CheckQueryInput();
    virtual bool CheckBaseInput();
    virtual void ReadRecord(CTvdBasicStructObject& record);
    virtual void ShowRecord(CTvdBasicStructObject& record);
    virtual void FillList();
    void CriterionToggled(const rsimform::CriterionSpec& criterion, bool ticked);

    std::unique_ptr<CTvdBasicStructObject> NewRecord() const;
    std::unique_ptr<CTvdBasicListObject> ListOf(const CTvdBasicStructObject& record) const;
    // Runs a write with its wait texts and messages; true when the service accepted it.
    bool Write(const rsimform::Operations::Write& operation, const char* waitText,
               CTvdBasicStructObject& record);
    QString ColumnText(CTvdBasicStructObject& record, const rsimform::ColumnSpec& column) const;
    QWidget* Editor(const QString& name) const;
    const CBasicLookup* Lookup(int category) const;

    rsimform::MaintenanceSpec spec_;
    TListViewEx* lstShowDataList = nullptr;
    QPushButton* btnQuery = nullptr;
    QPushButton* btnClearBase = nullptr;
    QPushButton* btnClear = nullptr;
    QPushButton* btnAdd = nullptr;
    QPushButton* btnModify = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;
    std::vector<QCheckBox*> criterionBoxes_;
    std::unique_ptr<CTvdBasicListObject> result_;
    std::unique_ptr<CTvdBasicStructObject> current_;
    std::map<int, std::unique_ptr<CBasicLookup>> lookups_;

private:
    void BuildLayout();
    QGroupBox* BuildCriteria();
    QGroupBox* BuildEditArea();
    QWidget* BuildControl(rsimform::Control kind, const QString& name, int maxLength);
    void ShowInControl(QWidget* control, rsimform::Control kind, int category,
                       CTvdBasicStructObject& record, int member);
    void ReadFromControl(QWidget* control, rsimform::Control kind, int category,
                         CTvdBasicStructObject& record, int member) const;
    void LoadProvinces();
};
