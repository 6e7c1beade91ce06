// The MSISDN-range window: Clear keeps the province box, the range box empties its editors, the
// number editors take digits only and modify keeps the clicked row's key.
#include "reference_form.h"

#include <QTest>

using formtest::ReferenceForm;
using nlohmann::json;

namespace {

class MsisdnRangeForm : public ReferenceForm {
protected:
    void SetUp() override
    {
        ReferenceForm::SetUp();
        Open(10150178);
        ShowActive();
    }
};

TEST_F(MsisdnRangeForm, ClearLeavesTheProvinceBoxAsTheUserSetIt)
{
    EXPECT_TRUE(box("ckbQryProvince")->isChecked());
    EXPECT_FALSE(box("ckbQryRegionCode")->isChecked());
    form_->btnQueryClick();
    EXPECT_EQ(sent("RMOSMQ24"),
              json::parse(R"({"sResRemoteImsiMsisdnGrp":{"PROVINCE_CODE":"11"}})"));
    EXPECT_GT(list()->rowCount(), 0);

    click(box("ckbQryProvince"));
    click(box("ckbQryRegionCode"));
    form_->btnClearClick();
    EXPECT_FALSE(box("ckbQryProvince")->isChecked());
    EXPECT_FALSE(box("ckbQryRegionCode")->isChecked());
}

TEST_F(MsisdnRangeForm, EveryClickOnTheRangeBoxEmptiesItsEditors)
{
    click(box("ckbQryMsisdn"));
    edit("edtQryMsisdnFirst")->setText("13800000000");
    edit("edtQryMsisdnLast")->setText("13800000099");
    click(box("ckbQryMsisdn"));
    EXPECT_TRUE(edit("edtQryMsisdnFirst")->text().isEmpty());
    edit("edtQryMsisdnLast")->setText("13800000099");
    click(box("ckbQryMsisdn"));
    EXPECT_TRUE(edit("edtQryMsisdnLast")->text().isEmpty());
    form_->btnQueryClick();
    EXPECT_EQ(gui_->lastMessage().text, "请输入查询条件[开始MSISDN号]!");
    EXPECT_TRUE(Calls("RMOSMQ24").empty());
}

TEST_F(MsisdnRangeForm, NumberEditorsTakeDigitsAndOnlyTheEditRangeIsCopied)
{
    click(edit("edtMsisdnFirst"));
    QTest::keyClicks(edit("edtMsisdnFirst"), "139a00-1");
    EXPECT_EQ(edit("edtMsisdnFirst")->text(), "139001");
    click(edit("edtMsisdnLast"));
    EXPECT_EQ(edit("edtMsisdnLast")->text(), "139001");

    click(box("ckbQryMsisdn"));
    click(edit("edtQryMsisdnFirst"));
    QTest::keyClicks(edit("edtQryMsisdnFirst"), "13900");
    click(edit("edtQryMsisdnLast"));
    EXPECT_TRUE(edit("edtQryMsisdnLast")->text().isEmpty());
}

TEST_F(MsisdnRangeForm, ModifyKeepsTheRowsKeyAndDeleteSendsTheEditArea)
{
    edit("edtMsisdn")->setText("G01");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    edit("edtMsisdnFirst")->setText("13908000000");
    edit("edtMsisdnLast")->setText("13908000099");
    form_->btnAddClick();
    ASSERT_EQ(list()->rowCount(), 1) << gui_->lastMessage().text.toStdString();
    EXPECT_EQ(list()->cellText(0, 2), "[44] 广东");

    edit("edtMsisdn")->setText("G02");
    edit("edtMsisdnLast")->setText("13908000199");
    confirmNext();
    form_->btnModifyClick();
    EXPECT_EQ(sent("RMOSMQ22")["listResRemoteMsisdnGrp"],
              json::parse(R"([{"MSISDN_GROUP":"G01","REGION_CODE":10,"PROVINCE_CODE":"44",
                               "FIRST_MSISDN":"13908000000","LAST_MSISDN":"13908000199"}])"));

    edit("edtMsisdnLast")->setText("13908000150");
    confirmNext();
    form_->btnDeleteClick();
    EXPECT_EQ(sent("RMOSMQ23")["listResRemoteMsisdnGrp"][0]["LAST_MSISDN"], "13908000150");
}

} // namespace
