// The SIM card inventory: query by ranges and attributes, staging of new and changed cards in
// the list, import of a vendor's card file, one-call commit, and deletion of checked cards.
#pragma once

#include "CImportUtil.h"
#include "form_base.h"
#include "place_cascade.h"

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
        NoLookup = 0,
        Region = rsimcatalog::Regions,
        County = rsimcatalog::Counties,
        Org = rsimcatalog::BusinessHalls,
        Status = rsimcatalog::SimStatuses,
        Purpose = rsimcatalog::Purposes,
        ResStatus = rsimcatalog::ResourceStatuses
    };

    // An editor of a criterion or a field of the edit area: a line edit (with its maximum length)
    // or a combo box of the window, what the check of empty input says (none: may be empty), and
    // the member it reads: the text, a code list's code of the item, or an item's bracketed code.
    struct Editor {
        QLineEdit* TfrmRemoteSimInfo::*edit;
        QComboBox* TfrmRemoteSimInfo::*combo;
        const char* name;
        int maxLength;
        const char* missing;
        int member;
        Lookup lookup = NoLookup;
    };
    // A criterion: its box and editors; a range has a first and a last editor, with a label of
    // its own before the last.
    struct Criterion {
        QCheckBox* TfrmRemoteSimInfo::*box;
        const char* name;
        const char* caption;
        std::vector<Editor> editors;
        const char* lastCaption = nullptr;
    };
    // Where a commit takes a field of each card from: the keys and the card's other own fields
    // from its list row; a shared field from the row or, for an import, from the edit area (the
    // nine fields every imported card takes alike); the KI key from the edit area, one value for
    // the whole commit.
    enum class Source { Key, Own, Shared, Commit };
    enum FieldFlag {
        KeptOnClick = 1, // a row click leaves the editor as it is
        TrimmedCell = 2, // a commit reads the field's cell without leading and trailing blanks
        Fixed = 4,       // disabled: the window fills it in
        Digits = 8       // takes digits only, typed or pasted, once the lists are loaded
    };
    // A field of the edit area and of a card's list row: the editor, the list column that shows
    // the member as the editor would (none: -1), where a commit takes it from.
    struct EditField {
        const char* label;
        Editor editor;
        Source source;
        int column;
        int flags;
    };
    // In the order they are laid out and checked.
    static const std::vector<Criterion>& Criteria();
    static const std::vector<EditField>& EditFields();
    QWidget* Create(QWidget* parent, const Editor& editor);
    QWidget* Control(const Editor& editor) const;
    QString Text(const Editor& editor) const;
    void Read(const Editor& editor, CTvdBasicStructObject& record, bool trim) const;
    // Sets the editor's member from a text the editor shows.
    void Store(const Editor& editor, const QString& text, CTvdBasicStructObject& record) const;
    // Shows the message of the first empty editor and gives it the focus.
    bool NoneEmpty(const std::vector<const Editor*>& editors);

    void BuildLayout();
    QWidget* BuildCriteria();
    QWidget* BuildEditArea();
    QWidget* BuildButtons();
    void ConnectHandlers();
    template <class T>
    T* Make(QWidget* parent, const char* name);

    void LoadLookups();
    bool LoadCardTypesAndVendors();
    void CriterionBoxToggled(QCheckBox* box, bool checked);
    bool CheckCriteria();
    bool CheckEditArea();
    MResRemoteMgntDef::SRemoteSimQryIn ReadCriteria() const;
    MResRemoteMgntDef::SRemoteSimInfo ReadEditArea() const;
    void ShowRecord(const MResRemoteMgntDef::SRemoteSimInfo& record);
    void FillList(const MResRemoteMgntDef::SRemoteSimInfoList& records);
    class FieldTexts;
    PackedCells RowOf(const MResRemoteMgntDef::SRemoteSimInfo& record, FieldTexts& codes) const;
    class RowRecords;
    void CommitAdd();
    void CommitModify();

    const CBasicLookup& LoadedList(Lookup lookup) const;
    std::int64_t CodeOf(Lookup lookup, const QString& text) const;

    CSysMgntPublic sysParams_;
    CImportUtil importUtil_;
    MResRemoteMgntDef::SRemoteSimInfoList result_;
    MResRemoteMgntDef::SRemoteSimInfo current_;
    Pending pending_ = Pending::None;
    QString smspCode_;

    // Criteria area.
    QCheckBox *ckbQryImsi, *ckbQrySim, *ckbQryResCode, *ckbQrySts, *ckbQryResSts, *ckbQryRegionCode,
        *ckbQryCountyCode, *ckbQryOrgId, *ckbQryMaxNum;
    QLineEdit *edtQryImsiFirst, *edtQryImsiLast, *edtQrySimFirst, *edtQrySimLast, *edtQryMaxNum;
    QComboBox *cmbQryResCode, *cmbQrySts, *cmbQryResSts, *cmbQryRegionCode, *cmbQryCountyCode,
        *cmbQryOrgId;
    // Edit area.
    QLineEdit *edImsi, *edSimId, *edSmsp, *edPIN1, *edPIN2, *edPUK1, *edPUK2, *edKI, *edKiKey,
        *edRemark;
    QComboBox *cmbRegionCode, *cmbCountyCode, *cmbOrgId, *cmbResCode, *cmbSts, *cmbPurpose,
        *cmbVendor;
    QCheckBox* chkImport;
    TListViewEx* lstShowDataList;
    QPushButton *btnQuery, *btnClearBase, *btnImport, *btnClear, *btnAdd, *btnCancel, *btnModify,
        *btnDelete, *btnCommit, *btnClose;
    std::unique_ptr<rsimform::PlaceCascade> queryPlaces_, editPlaces_;
};
