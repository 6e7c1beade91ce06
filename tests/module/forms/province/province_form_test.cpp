// The province window: the reference-table frame's query, writes and messages, which the other
// reference windows vary by declaration.
#include "window_driver.h"

using nlohmann::json;

namespace {

class ProvinceForm : public windowtest::OpenedWindow<10150173> {
protected:
    void addProvince(const QString& code, const QString& name)
    {
        click("btnClearBase");
        type("edtProvinceCode", code);
        type("edtProvinceName", name);
        click("btnAdd");
    }
};

TEST_F(ProvinceForm, AQueryShowsTheFirstRowAndTheWritesSendTheEditArea)
{
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ04"), json::parse(R"({"sResRemoteProvCode":{}})"));
    ASSERT_GT(rows()->rowCount(), 1);
    EXPECT_EQ(rows()->selectedRow(), 0);
    EXPECT_EQ(edit("edtProvinceCode")->text(), rows()->caption(0));
    EXPECT_EQ(edit("edtProvinceName")->text(), rows()->cellText(0, 1));
    for (const char* name : {"btnAdd", "btnModify", "btnDelete"})
        EXPECT_FALSE(button(name)->isEnabled()) << name;

    click("ckbQryProvinceName");
    type("edtQryProvinceName", "  none  ");
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ04"), json::parse(R"({"sResRemoteProvCode":{"PROVINCE_NAME":"none"}})"));
    EXPECT_EQ(lastText(), "没有查询到数据!");
    EXPECT_EQ(lastFlags(), MB_ICONHAND);
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(gui_->waitBoxOpen());

    // Add lists the added record; modify and delete send the edit area.
    addProvince("91", "测试省");
    EXPECT_EQ(sent("RMOSMQ01"),
              json::parse(R"({"sOpInfo":{"REGION_CODE":10,"COUNTY_CODE":1001,"ORG_ID":100101,
                              "OP_ID":1},"listResRemoteProvCode":[{"PROVINCE_CODE":"91",
                              "PROVINCE_NAME":"测试省"}]})"));
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(lastText(), "提示：信息新增成功!");
    EXPECT_TRUE(button("btnModify")->isEnabled());

    type("edtProvinceName", "新名");
    click("btnModify");
    EXPECT_EQ(sent("RMOSMQ02")["listResRemoteProvCode"],
              json::parse(R"([{"PROVINCE_CODE":"91","PROVINCE_NAME":"新名"}])"));
    EXPECT_EQ(lastText(), "提示：信息修改成功!");
    EXPECT_EQ(rows()->cellText(0, 1), "新名");

    type("edtProvinceName", "编辑过");
    click("btnDelete");
    EXPECT_EQ(sent("RMOSMQ03")["listResRemoteProvCode"],
              json::parse(R"([{"PROVINCE_CODE":"91","PROVINCE_NAME":"编辑过"}])"));
    EXPECT_EQ(lastText(), "提示：信息删除成功!");
    EXPECT_EQ(rows()->rowCount(), 0);
    EXPECT_FALSE(gui_->waitBoxOpen());

    // Modify with no selected row, once confirmed, does nothing.
    addProvince("92", "名");
    rows()->setSelectedRow(-1);
    ClearCalls();
    click("btnModify");
    EXPECT_TRUE(Calls().empty());
}

} // namespace
