// The MSISDN-group window: region and province combos, and modify and delete that take the key
// from the clicked row.
#include "driver.h"
#include "window_driver.h"

using nlohmann::json;

namespace {

using MsisdnGroupForm = windowtest::OpenedWindow<10150179>;

TEST_F(MsisdnGroupForm, ClearSelectsTheOperatorsPlaceAndModifyAndDeleteSendTheClickedRowsKey)
{
    for (const char* name :
         {"ckbQryMsisdnGroup", "ckbQryMsisdnName", "ckbQryRegionCode", "ckbQryProvince"})
        EXPECT_FALSE(box(name)->isChecked()) << name;
    EXPECT_EQ(combo("cmbQryRegionCode")->currentText(), "[10] 广州");
    EXPECT_EQ(combo("cmbQryProvince")->currentText(), "[11] 北京");
    EXPECT_EQ(combo("cmbRegionCode")->currentText(), "[10] 广州");
    combo("cmbQryRegionCode")->setCurrentText("[12] 珠海");
    click("ckbQryRegionCode");
    EXPECT_EQ(combo("cmbQryRegionCode")->currentText(), "[10] 广州");
    click("ckbQryProvince");
    combo("cmbQryProvince")->setCurrentText("[44] 广东");
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ16"),
              json::parse(R"({"sResRemoteMsisdnGroup":{"REGION_CODE":10,"PROVINCE_CODE":"44"}})"));
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(cell(0, 3), "[44] 广东");

    click("btnClearBase"); // selects the first province criterion
    EXPECT_EQ(combo("cmbQryProvince")->currentIndex(), 0);

    // A province added after the window opened is not among its items.
    auto db = rsim::db::connect(windowtest::ServiceDatabase());
    db->exec("INSERT INTO rsim_province (PROVINCE_CODE, PROVINCE_NAME) VALUES ('97', '新省')");
    db->exec("INSERT INTO rsim_msisdn_group (MSISDN_GROUP, MSISDN_NAME, REGION_CODE, "
             "PROVINCE_CODE) VALUES ('G97', '新省号群', 10, '97')");
    click("btnClear");
    box("ckbQryMsisdnGroup")->setChecked(true);
    edit("edtQryMsisdnGroup")->setText("G97");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    click("btnQuery");
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(cell(0, 3), "");
    EXPECT_EQ(combo("cmbProvince")->currentIndex(), -1);

    click("btnClearBase");
    edit("edtMsisdnGroup")->setText("G91");
    edit("edtMsisdnName")->setText("测试号群");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    click("btnAdd");
    ASSERT_EQ(lastText(), "提示：新增信息成功!");
    EXPECT_TRUE(edit("edtMsisdnGroup")->isReadOnly());
    EXPECT_FALSE(combo("cmbProvince")->isEnabled());
    EXPECT_FALSE(combo("cmbRegionCode")->isEnabled());

    edit("edtMsisdnGroup")->setText("G99");
    combo("cmbProvince")->setCurrentText("[31] 上海");
    edit("edtMsisdnName")->setText("改名");
    click("btnModify");
    EXPECT_EQ(
        sent("RMOSMQ14")["listResRemoteMsisdnGroup"],
        json::parse(
            R"([{"MSISDN_GROUP":"G91","MSISDN_NAME":"改名","REGION_CODE":10,"PROVINCE_CODE":"44"}])"));
    EXPECT_EQ(cell(0, 1), "改名");

    edit("edtMsisdnName")->setText("又改");
    combo("cmbRegionCode")->setCurrentText("[11] 深圳");
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ15")["listResRemoteMsisdnGroup"],
              json::parse(R"([{"MSISDN_GROUP":"G91","REGION_CODE":10,"PROVINCE_CODE":"44"}])"));
    EXPECT_EQ(lastText(), "提示：信息删除成功!");
}

} // namespace
