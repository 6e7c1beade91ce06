// The MSISDN-group window: region and province combos, and modify and delete that take the key
// from the clicked row.
#include "form_base.h"
#include "window_driver.h"

using nlohmann::json;
using windowtest::WindowDriver;
using namespace MResRemoteMgntDef;

namespace {

class MsisdnGroupForm : public WindowDriver {
protected:
    void SetUp() override
    {
        WindowDriver::SetUp();
        Open(10150179);
    }

    void addGroup(const QString& group, const QString& province)
    {
        edit("edtMsisdnGroup")->setText(group);
        edit("edtMsisdnName")->setText("测试号群");
        combo("cmbProvince")->setCurrentText(province);
        click("btnAdd");
        ASSERT_EQ(lastText(), "提示：新增信息成功!");
    }
};

TEST_F(MsisdnGroupForm, ClearSelectsTheOperatorsRegionAndTheRegionBoxSelectsItAgain)
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
    ASSERT_EQ(list("lstShowDataList")->rowCount(), 1);
    EXPECT_EQ(list("lstShowDataList")->cellText(0, 3), "[44] 广东");
}

TEST_F(MsisdnGroupForm, ModifyAndDeleteSendTheClickedRowsKey)
{
    addGroup("G91", "[44] 广东");
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
    EXPECT_EQ(list("lstShowDataList")->cellText(0, 1), "改名");

    edit("edtMsisdnName")->setText("又改");
    combo("cmbRegionCode")->setCurrentText("[11] 深圳");
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ15")["listResRemoteMsisdnGroup"],
              json::parse(R"([{"MSISDN_GROUP":"G91","REGION_CODE":10,"PROVINCE_CODE":"44"}])"));
    EXPECT_EQ(lastText(), "提示：信息删除成功!");
}

TEST_F(MsisdnGroupForm, AProvinceTheWindowDidNotLoadShowsAsAnEmptyCell)
{
    // A province added after the window opened is not among its items.
    CResRemoteSim service;
    service.Init(0, operator_.REGION_CODE, operator_.COUNTY_CODE, operator_.ORG_ID,
                 operator_.OP_ID);
    SResRemoteProvCodeList provinces;
    auto& province = *static_cast<SResRemoteProvCode*>(provinces.append());
    province.set_PROVINCE_CODE("97");
    province.set_PROVINCE_NAME("新省");
    SResRemoteMsisdnGroupList groups;
    auto& group = *static_cast<SResRemoteMsisdnGroup*>(groups.append());
    group.set_MSISDN_GROUP("G97");
    group.set_MSISDN_NAME("新省号群");
    group.set_REGION_CODE(10);
    group.set_PROVINCE_CODE("97");
    CBSErrorMsg error;
    ASSERT_TRUE(service.add_provinceCode(form<TfrmRemoteSimBase>()->OpInfo(), provinces, error))
        << error.message;
    ASSERT_TRUE(service.add_msisdnGroup(form<TfrmRemoteSimBase>()->OpInfo(), groups, error))
        << error.message;

    click("btnClear");
    box("ckbQryMsisdnGroup")->setChecked(true);
    edit("edtQryMsisdnGroup")->setText("G97");
    combo("cmbProvince")->setCurrentText("[44] 广东");
    click("btnQuery");
    ASSERT_EQ(list("lstShowDataList")->rowCount(), 1);
    EXPECT_EQ(list("lstShowDataList")->cellText(0, 3), "");
    EXPECT_EQ(combo("cmbProvince")->currentIndex(), -1);
}

TEST_F(MsisdnGroupForm, ClearingTheEditAreaSelectsTheFirstProvinceCriterion)
{
    click("ckbQryProvince");
    choose("cmbQryProvince", "44");
    click("btnClearBase");
    EXPECT_EQ(combo("cmbQryProvince")->currentIndex(), 0);
}

} // namespace
