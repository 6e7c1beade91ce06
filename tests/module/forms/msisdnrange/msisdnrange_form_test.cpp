// The MSISDN-range window: Clear keeps the province box, the range box empties its editors, the
// number editors take digits only and modify keeps the clicked row's key.
#include "window_driver.h"

#include <QTest>

using nlohmann::json;

namespace {

using MsisdnRangeForm = windowtest::OpenedWindow<10150178>;

TEST_F(MsisdnRangeForm, ClearKeepsTheProvinceBoxAndEveryClickOnTheRangeBoxEmptiesItsEditors)
{
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ24"),
              json::parse(R"({"sResRemoteImsiMsisdnGrp":{"PROVINCE_CODE":"11"}})"));
    click("ckbQryProvince");
    click("ckbQryRegionCode");
    click("btnClear");
    EXPECT_FALSE(box("ckbQryProvince")->isChecked());
    EXPECT_FALSE(box("ckbQryRegionCode")->isChecked());

    click("ckbQryMsisdn");
    edit("edtQryMsisdnFirst")->setText("13800000000");
    edit("edtQryMsisdnLast")->setText("13800000099");
    click("ckbQryMsisdn");
    EXPECT_TRUE(edit("edtQryMsisdnFirst")->text().isEmpty());
    edit("edtQryMsisdnLast")->setText("13800000099");
    click("ckbQryMsisdn");
    EXPECT_TRUE(edit("edtQryMsisdnLast")->text().isEmpty());
    ClearCalls();
    click("btnQuery");
    EXPECT_EQ(lastText(), "请输入查询条件[开始MSISDN号]!");
    EXPECT_TRUE(Calls("RMOSMQ24").empty());
}

TEST_F(MsisdnRangeForm, NumbersTakeDigitsTheFirstIsCopiedAndModifyKeepsTheRowsKey)
{
    edit("edtMsisdn")->setText("G01");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    click("edtMsisdnFirst");
    QTest::keyClicks(edit("edtMsisdnFirst"), "139a08-000000");
    click("edtMsisdnLast");
    EXPECT_EQ(edit("edtMsisdnLast")->text(), "13908000000");
    edit("edtMsisdnLast")->setText("13908000099");
    click("btnAdd");
    ASSERT_EQ(rows()->rowCount(), 1) << lastText().toStdString();
    EXPECT_EQ(cell(0, 2), "[44] 广东");

    edit("edtMsisdn")->setText("G02");
    edit("edtMsisdnLast")->setText("13908000199");
    click("btnModify");
    EXPECT_EQ(sent("RMOSMQ22")["listResRemoteMsisdnGrp"],
              json::parse(R"([{"MSISDN_GROUP":"G01","REGION_CODE":10,"PROVINCE_CODE":"44",
                               "FIRST_MSISDN":"13908000000","LAST_MSISDN":"13908000199"}])"));

    edit("edtMsisdnLast")->setText("13908000150");
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ23")["listResRemoteMsisdnGrp"][0]["LAST_MSISDN"], "13908000150");
}

} // namespace
