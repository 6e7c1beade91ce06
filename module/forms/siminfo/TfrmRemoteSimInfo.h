// The SIM card inventory: query by ranges and attributes, staging of new and changed cards in
// the list, import of a vendor's card file, one-call commit, and deletion of checked cards.
#pragma once

#include "CImportUtil.h"
#include "form_base.h"
#include "place_cascade.h"
#include "sim_card_rows.h"
#include "window_declaration.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <vector>

class TfrmRemoteSimInfo : public TfrmRemoteSimBase {
public:
    enum class Pending : std::int16_t { None = 0, Add = 1, Modify = 2 };
    // The list's columns.
    enum Column {
        ColImsi,
        ColSimId,
        ColPin1,
        ColPin2,
        ColPuk1,
        ColPuk2,
        ColUnknown,
        ColKi,
        ColResCode,
        ColSts,
        ColPurpose,
        ColSmsp,
        ColVendor,
        ColRegion,
        ColCounty,
        ColOrg,
        ColRemark,
        ColumnCount
    };

    explicit TfrmRemoteSimInfo(QWidget* owner);

    void btnQueryClick();
    void btnClearClick();
    void btnClearBaseClick();
    void lstShowDataListClick();
    void btnAddClick();
    void btnModifyClick();
    void btnDeleteClick();
    void btnCloseClick() { Close(); }
    void cmbQryRegionCodeChange();
    void cmbQryCountyCodeChange();
    void cmbRegionCodeChange();
    void cmbCountyCodeChange();
    void edtQryImsiFirstExit();
    void edtQrySimFirstExit();
    void chkImportClick();
    void btnImportClick();
    void btnCancelClick();
    void btnCommitClick();

protected:
    void Prepare() override;
    bool FinishInit() override;

private:
    // The code lists of the window, by category.
    enum Lookup {
        Region = rsimcatalog::Regions,
        County = rsimcatalog::Counties,
        Org = rsimcatalog::BusinessHalls,
        Status = rsimcatalog::SimStatuses,
        Purpose = rsimcatalog::Purposes,
        ResStatus = rsimcatalog::ResourceStatuses
    };

    // Where a commit takes a field of each card from: the keys and the card's other own fields
    // from the texts its list row shows; a shared field from the row or, for an import, from the
    // edit area (the nine fields every imported card takes alike); the KI key from the edit area,
    // one value for the whole commit.
    enum class Source { Key, Own, Shared, Commit };
    enum FieldFlag {
        KeptOnClick = 1, // a row click leaves the editor as it is
        TrimmedCell = 2, // a commit reads the field's cell without leading and trailing blanks
        Fixed = 4,       // disabled: the window fills it in
        Digits = 8       // takes digits only, typed or pasted, once the lists are loaded
    };
    // A field of the edit area and of a card's list row: the declared field, the list column
    // that shows the member as the field would (none: -1), where a commit takes it from.
    struct EditField {
        rsimform::FieldDeclaration declared;
        Source source;
        int column;
        int flags;
    };
    // In the order they are laid out and checked.
    static const std::vector<rsimform::CriterionDeclaration>& Criteria();
    static const std::vector<EditField>& EditFields();
    QWidget* Control(const QString& name) const { return findChild<QWidget*>(name); }
    template <class Declared>
    QString Text(const Declared& declared) const
    {
        return declared.kind->Text(Control(declared.name));
    }
    template <class Declared>
    void Read(const Declared& declared, CTvdBasicStructObject& record, bool trim) const
    {
        declared.kind->Read(Control(declared.name), record, declared.member, Context(), trim);
    }
    // Sets the field's member from a text the field shows.
    void Store(const rsimform::FieldDeclaration& declared, const QString& text,
               CTvdBasicStructObject& record) const
    {
        declared.kind->Store(text, record, declared.member, Context());
    }
    // Every code list and service list is loaded during initialisation, so reading one later
    // changes nothing of the window.
    rsimform::FormContext& Context() const { return const_cast<TfrmRemoteSimInfo&>(*this); }
    // Shows the message of the first empty editor and gives it the focus.
    bool NoneEmpty(const std::vector<rsimform::EditorDeclaration>& editors);

    void BuildLayout();
    QWidget* BuildCriteria();
    QWidget* BuildEditArea();
    QWidget* BuildButtons();
    void ConnectHandlers();
    template <class T>
    T* Make(QWidget* parent, const char* name);
    void FindControls();

    void LoadLookups();
    bool LoadCardTypesAndVendors();
    void CriterionBoxToggled(QCheckBox* box, bool checked);
    bool CheckCriteria();
    bool CheckEditArea();
    MResRemoteMgntDef::SRemoteSimQryIn ReadCriteria() const;
    MResRemoteMgntDef::SRemoteSimInfo ReadEditArea() const;
    void ShowRecord(const MResRemoteMgntDef::SRemoteSimInfo& record);
    void ShowResult();
    std::string_view ResultCell(const MResRemoteMgntDef::SRemoteSimInfo& card, int column) const;
    void ListFilled(int answered);
    class FieldTexts;
    class RowRecords;
    void CommitAdd();
    void CommitModify();

    CSysMgntPublic sysParams_;
    CImportUtil importUtil_;
    MResRemoteMgntDef::SRemoteSimInfoList result_;
    std::shared_ptr<FieldTexts> resultTexts_; // how the list shows the cards of result_
    MResRemoteMgntDef::SRemoteSimInfo current_;
    Pending pending_ = Pending::None;
    QString smspCode_;

    // Criteria area.
    QCheckBox *ckbQryRegionCode, *ckbQryCountyCode, *ckbQryOrgId, *ckbQryMaxNum;
    QLineEdit *edtQryImsiFirst, *edtQryImsiLast, *edtQrySimFirst, *edtQrySimLast, *edtQryMaxNum;
    QComboBox *cmbQryResCode, *cmbQrySts, *cmbQryResSts, *cmbQryRegionCode, *cmbQryCountyCode,
        *cmbQryOrgId;
    // Edit area.
    QLineEdit *edSmsp, *edKiKey;
    QComboBox *cmbRegionCode, *cmbCountyCode, *cmbOrgId, *cmbResCode, *cmbSts, *cmbPurpose,
        *cmbVendor;
    QCheckBox* chkImport;
    TListViewEx* lstShowDataList;
    SimCardRows* rows_;
    QPushButton *btnQuery, *btnClearBase, *btnImport, *btnClear, *btnAdd, *btnCancel, *btnModify,
        *btnDelete, *btnCommit, *btnClose;
    std::unique_ptr<rsimform::PlaceCascade> queryPlaces_, editPlaces_;
};
