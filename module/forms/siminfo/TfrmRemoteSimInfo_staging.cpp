// The edit area, the list, staging of new and changed cards, and deletion.
#include "TfrmRemoteSimInfo.h"

#include "cut_notice.h"

#include <array>
#include <map>
#include <string_view>

using namespace MResRemoteMgntDef;

namespace {

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

std::string utf8(const QString& value)
{
    return value.toStdString();
}

} // namespace

bool TfrmRemoteSimInfo::CheckEditArea()
{
    std::vector<const Editor*> fields;
    for (const EditField& field : EditFields())
        fields.push_back(&field.editor);
    if (!NoneEmpty(fields))
        return false;
    if (edKiKey->text().size() % 8 != 0) {
        ShowGUIMessage("KI密钥长度必须为8的倍数!", "提示", 0);
        edKiKey->setFocus();
        return false;
    }
    return true;
}

// The nine fields shared by every card of a commit or an Add, from the edit area.
void TfrmRemoteSimInfo::SetCommonFields(SRemoteSimInfo& record) const
{
    for (const EditField& field : EditFields())
        if (field.shared)
            Read(field.editor, record, false);
}

SRemoteSimInfo TfrmRemoteSimInfo::ReadEditArea() const
{
    SRemoteSimInfo record;
    for (const EditField& field : EditFields())
        Read(field.editor, record, false);
    return record;
}

void TfrmRemoteSimInfo::ShowTexts(const SRemoteSimInfo& record)
{
    const std::pair<QLineEdit*, const std::string*> texts[] = {
        {edImsi, &record.IMSI}, {edSimId, &record.SIM_ID},  {edPIN1, &record.PIN1},
        {edPIN2, &record.PIN2}, {edPUK1, &record.PUK1},     {edPUK2, &record.PUK2},
        {edSmsp, &record.SMSP}, {edRemark, &record.REMARK}, {edKiKey, &record.KI_KEY}};
    for (const auto& [edit, value] : texts)
        edit->setText(text(*value));
}

// A code that no item shows leaves its combo box without a selection, so that a following
// Modify cannot write the previous row's value into the checked rows.
void TfrmRemoteSimInfo::ShowRecord(const SRemoteSimInfo& record)
{
    ShowTexts(record);
    PostionComboBoxItem(cmbRegionCode, LookupText(Region, record.REGION_CODE));
    PostionComboBoxItem(cmbCountyCode, LookupText(County, record.COUNTY_CODE));
    PostionComboBoxItem(cmbOrgId, LookupText(Org, record.ORG_ID));
    PostionComboBoxItem(cmbSts, LookupText(Status, record.STS));
    PostionComboBoxItem(cmbPurpose, LookupText(Purpose, record.PURPOSE));
    if (!record.RES_CODE.empty())
        PostionComboBoxItem(cmbResCode, BracketItem(cmbResCode, record.RES_CODE));
}

// The texts of the codes one fill shows, each looked up once: the rows of an answer share a few
// card types, vendors, states and places.
class TfrmRemoteSimInfo::CodeTexts {
public:
    explicit CodeTexts(const TfrmRemoteSimInfo& form) : form_(form) {}

    std::string_view Of(Lookup lookup, std::int64_t code)
    {
        auto found = codes_.find({lookup, code});
        if (found == codes_.end())
            found =
                codes_.emplace(std::pair{lookup, code}, form_.LoadedList(lookup).ItemOfCode(code))
                    .first;
        return found->second;
    }
    std::string_view Item(const QComboBox* combo, const std::string& code)
    {
        auto found = items_.find({combo, code});
        if (found == items_.end())
            found = items_.emplace(std::pair{combo, code}, utf8(BracketItem(combo, code))).first;
        return found->second;
    }

private:
    const TfrmRemoteSimInfo& form_;
    std::map<std::pair<Lookup, std::int64_t>, std::string> codes_;
    std::map<std::pair<const QComboBox*, std::string>, std::string> items_;
};

PackedCells TfrmRemoteSimInfo::RowOf(const SRemoteSimInfo& r, CodeTexts& codes) const
{
    const std::array<std::string_view, ColumnCount> cells = {
        r.IMSI,
        r.SIM_ID,
        r.PIN1,
        r.PIN2,
        r.PUK1,
        r.PUK2,
        {},
        r.KI_CODE,
        codes.Item(cmbResCode, r.RES_CODE),
        codes.Of(Status, r.STS),
        codes.Of(Purpose, r.PURPOSE),
        r.SMSP,
        r.VENDOR_CODE.empty() ? std::string_view() : codes.Item(cmbVendor, r.VENDOR_CODE),
        codes.Of(Region, r.REGION_CODE),
        codes.Of(County, r.COUNTY_CODE),
        codes.Of(Org, r.ORG_ID),
        r.REMARK};
    return PackedCells(cells);
}

void TfrmRemoteSimInfo::FillList(const SRemoteSimInfoList& records)
{
    CodeTexts codes(*this);
    lstShowDataList->beginUpdate();
    for (int i = 0; i < records.count(); ++i)
        lstShowDataList->addRow(RowOf(records[static_cast<std::size_t>(i)], codes), i);
    lstShowDataList->endUpdate();
    rsimform::NoteCutList(lstShowDataList, &records == &result_ ? records.count() : 0);
    if (lstShowDataList->rowCount() > 0) {
        lstShowDataList->setFocusedRow(0);
        lstShowDataListClick();
    }
    lstShowDataList->setColumnWidth(ColUnknown, 0);
}

void TfrmRemoteSimInfo::lstShowDataListClick()
{
    const int row = lstShowDataList->selectedRow();
    if (row < 0)
        return;
    lstShowDataList->setChecked(row, !lstShowDataList->isChecked(row));
    const int position = lstShowDataList->imageIndex(row);
    if (position < 0 || position >= result_.count()) {
        MakeDefault(btnCancel);
        return;
    }
    current_ = result_[static_cast<std::size_t>(position)];
    ShowRecord(current_);
    for (QWidget* locked : {static_cast<QWidget*>(btnCancel), static_cast<QWidget*>(edImsi),
                            static_cast<QWidget*>(edSimId)})
        MakeReadOnly(locked);
    btnAdd->setEnabled(false);
    btnModify->setEnabled(ModifyRight());
    btnDelete->setEnabled(DeleteRight());
}

void TfrmRemoteSimInfo::btnAddClick()
{
    pending_ = Pending::Add;
    if (!CheckEditArea())
        return;
    SRemoteSimInfoList staged;
    staged.push_back(ReadEditArea());
    if (!result_.empty()) {
        result_.clear();
        lstShowDataList->clear();
    }
    FillList(staged);
    MakeDefault(btnCommit);
}

void TfrmRemoteSimInfo::btnModifyClick()
{
    pending_ = Pending::Modify;
    bool anyChecked = false;
    for (int row = 0; row < lstShowDataList->rowCount(); ++row)
        anyChecked |= lstShowDataList->isChecked(row);
    if (!anyChecked) {
        ShowGUIMessage("对不起!\n[%s!]", "提示", 0,
                       "数据列表中没有选中复选框的数据，\n请勾选要修改的数据!");
        return;
    }
    if (!CheckEditArea())
        return;
    const std::pair<int, QString> values[] = {{ColPin1, edPIN1->text()},
                                              {ColPin2, edPIN2->text()},
                                              {ColPuk1, edPUK1->text()},
                                              {ColPuk2, edPUK2->text()},
                                              {ColKi, edKI->text()},
                                              {ColResCode, cmbResCode->currentText()},
                                              {ColSts, cmbSts->currentText()},
                                              {ColPurpose, cmbPurpose->currentText()},
                                              {ColSmsp, edSmsp->text()},
                                              {ColVendor, cmbVendor->currentText()},
                                              {ColRegion, cmbRegionCode->currentText()},
                                              {ColCounty, cmbCountyCode->currentText()},
                                              {ColOrg, cmbOrgId->currentText()},
                                              {ColRemark, edRemark->text()}};
    for (int row = 0; row < lstShowDataList->rowCount(); ++row)
        if (lstShowDataList->isChecked(row))
            for (const auto& [column, value] : values)
                lstShowDataList->setCellText(row, column, value);
    lstShowDataList->setColumnWidth(ColUnknown, 0);
    MakeDefault(btnCommit);
}

void TfrmRemoteSimInfo::btnDeleteClick()
{
    if (lstShowDataList->selectedRow() < 0)
        return;
    if (ShowGUIMessage("您确认删除吗？", "确认操作", rsimform::kConfirm) != IDYES)
        return;
    ShowWaitBox("正在删除数据，请稍候...");
    SRemoteSimInfoList doomed;
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row) {
        if (!lstShowDataList->isChecked(row))
            continue;
        auto& card = *static_cast<SRemoteSimInfo*>(doomed.append());
        card.set_IMSI(utf8(lstShowDataList->caption(row)));
    }
    if (!CallService("异常：调用接口失败\n[%s]\n[%s]!", [&](CBSErrorMsg& error) {
            return remoteSim_.del_simInfo(opInfo_, doomed, error);
        }))
        return;
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row)
        if (lstShowDataList->isChecked(row))
            lstShowDataList->removeRow(row);
    ShowGUIMessage("提示:远程写卡明细数据删除成功!", "业务提交", MB_ICONINFORMATION);
}

void TfrmRemoteSimInfo::btnClearClick()
{
    lstShowDataList->clear();
    ckbQryImsi->setChecked(false);
    ckbQrySim->setChecked(false);
    for (QCheckBox* box : {ckbQryResCode, ckbQrySts, ckbQryResSts, ckbQryRegionCode,
                           ckbQryCountyCode, ckbQryOrgId, ckbQryMaxNum})
        box->setChecked(true);
    for (QLineEdit* range : {edtQryImsiFirst, edtQryImsiLast, edtQrySimFirst, edtQrySimLast})
        range->clear();
    edtQryMaxNum->setText("50");
    chkImport->blockSignals(true);
    chkImport->setChecked(false);
    chkImport->blockSignals(false);
    chkImportClick();
    current_ = SRemoteSimInfo();
    result_.clear();
    queryPlaces_->SelectOperatorsPlace();
    editPlaces_->SelectOperatorsPlace();
    FillList(result_);
    btnClearBaseClick();
}

void TfrmRemoteSimInfo::btnClearBaseClick()
{
    lstShowDataList->clear();
    MakeDefault(edImsi);
    MakeDefault(edSimId);
    edImsi->clear();
    edSimId->clear();
    for (QComboBox* combo : {cmbResCode, cmbSts, cmbPurpose, cmbVendor})
        combo->setCurrentIndex(combo->count() > 0 ? 0 : -1);
    for (QLineEdit* edit : {edRemark, edKI, edKiKey})
        edit->clear();
    for (QPushButton* button : {btnCancel, btnModify, btnDelete, btnCommit})
        MakeReadOnly(button);
    // The combo boxes keep the operator's place and the first items chosen above: an empty
    // record's codes have no items.
    ShowTexts(SRemoteSimInfo());
    edSmsp->setText(smspCode_);
    btnAdd->setEnabled(AddRight());
}
