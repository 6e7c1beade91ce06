// Import of a card file, removal of a staged row, and the one-call commit.
#include "TfrmRemoteSimInfo.h"

using namespace MResRemoteMgntDef;

void TfrmRemoteSimInfo::chkImportClick()
{
    lstShowDataList->clear();
    chkImport->isChecked() ? MakeDefault(btnImport) : MakeReadOnly(btnImport);
}

void TfrmRemoteSimInfo::btnImportClick()
{
    pending_ = Pending::Add;
    lstShowDataList->clear();
    result_.clear();
    importUtil_.ImportListView(lstShowDataList, 2, ".txt", 1, 0);
    lstShowDataList->setColumnWidth(ColUnknown, 0);
    MakeDefault(btnCommit);
}

void TfrmRemoteSimInfo::btnCancelClick()
{
    const int row = lstShowDataList->focusedRow();
    if (row < 0) {
        ShowGUIMessage("对不起!\n[%s!]", "提示", 0, "请选择要取消的数据!");
        return;
    }
    lstShowDataList->removeRow(row);
    btnCancel->setEnabled(false);
}

// A staged row as the record a commit sends: the card's own fields from the row, the nine shared
// ones from the row or, for an import, from the edit area.
SRemoteSimInfo TfrmRemoteSimInfo::RecordOfRow(int row) const
{
    auto cell = [&](int column) { return lstShowDataList->cellText(row, column).toStdString(); };
    SRemoteSimInfo record;
    record.set_IMSI(cell(ColImsi));
    record.set_SIM_ID(cell(ColSimId));
    record.set_PIN1(cell(ColPin1));
    record.set_PIN2(cell(ColPin2));
    record.set_PUK1(cell(ColPuk1));
    record.set_PUK2(cell(ColPuk2));
    record.set_KI_CODE(cell(ColKi));
    if (chkImport->isChecked()) {
        SetCommonFields(record);
    } else {
        auto code = [&](Lookup lookup, int column) { return CodeOf(lookup, lstShowDataList->cellText(row, column)); };
        record.set_RES_CODE(CResRemoteSim::ExtractCode(cell(ColResCode)));
        record.set_STS(static_cast<std::int16_t>(code(Status, ColSts)));
        record.set_PURPOSE(static_cast<std::int16_t>(code(Purpose, ColPurpose)));
        record.set_SMSP(cell(ColSmsp));
        record.set_VENDOR_CODE(CResRemoteSim::ExtractCode(cell(ColVendor)));
        record.set_REGION_CODE(static_cast<std::int16_t>(code(Region, ColRegion)));
        record.set_COUNTY_CODE(static_cast<std::int16_t>(code(County, ColCounty)));
        record.set_ORG_ID(static_cast<std::int32_t>(code(Org, ColOrg)));
        record.set_REMARK(lstShowDataList->cellText(row, ColRemark).trimmed().toStdString());
    }
    record.set_KI_KEY(edKiKey->text().toStdString());
    return record;
}

void TfrmRemoteSimInfo::btnCommitClick()
{
    try {
        if (pending_ == Pending::Add)
            CommitAdd();
        else if (pending_ == Pending::Modify)
            CommitModify();
    } catch (const CGUIException& e) {
        ShowException(e);
    }
}

void TfrmRemoteSimInfo::CommitAdd()
{
    if (lstShowDataList->rowCount() == 0) {
        ShowGUIMessage("对不起!\n[%s!]", "提示", 0, "列表中没有要新增的数据!");
        return;
    }
    SRemoteSimInfoList cards;
    cards.reserve(lstShowDataList->rowCount());
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row)
        cards.push_back(RecordOfRow(row));
    CBSErrorMsg error;
    if (!remoteSim_.add_simInfo(opInfo_, cards, error)) {
        ShowCallFailure("异常：调用新增接口失败\n[%s]\n[%s]!", error);
        return;
    }
    MakeReadOnly(btnCommit);
    lstShowDataList->clear();
    ShowGUIMessage("提示:远程写卡明细数据新增成功!", "业务提交", 64);
}

void TfrmRemoteSimInfo::CommitModify()
{
    SRemoteSimInfoList cards;
    for (int row = lstShowDataList->rowCount() - 1; row >= 0; --row)
        if (lstShowDataList->isChecked(row))
            cards.push_back(RecordOfRow(row));
    if (ShowGUIMessage("您确认修改吗？", "确认操作", 292) != IDYES)
        return;
    CBSErrorMsg error;
    if (!remoteSim_.mod_simInfo(opInfo_, cards, error)) {
        ShowCallFailure("异常：调用接口失败\n[%s]\n[%s]!", error);
        return;
    }
    MakeReadOnly(btnCommit);
    ShowGUIMessage("提示:远程写卡明细数据修改成功!", "业务提交", 64);
}
