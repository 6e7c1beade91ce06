// The authentication-card rights: what this window does besides the registry pattern.
#include "window_driver.h"

using nlohmann::json;

namespace {

using AucRoleForm = windowtest::OpenedWindow<10150185>;

TEST_F(AucRoleForm,
       TheFirstQueryFiltersOnTheFirstRightTypeTheCriteriaAsTypedAndTheMessagesAsTheyStand)
{
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ47")["sResRemoteSysAuc"], json::parse(R"({"ENT_TYPE":1})"));
    ASSERT_GE(rows()->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), combo("cmbEntType")->itemText(0));

    click("chkEntCode");
    click("chkEntName");
    click("chkSimSeq");
    type("edEntCode", " 1001");
    type("edEntName", "营业厅 ");
    type("edSimSeq", " AUC000001 ");
    click("btnQuery");
    EXPECT_EQ(
        sent("RMOSMQ47")["sResRemoteSysAuc"],
        json::parse(
            R"({"ENT_TYPE":1,"ENT_CODE":" 1001","ENT_NAME":"营业厅 ","SIM_SEQUENCE":"AUC000001"})"));

    // The edit area's messages are worded as they stand.
    click("btnClear");
    click("btnClearBase");
    type("edEnt_Code", "1234");
    click("btnAdd");
    EXPECT_EQ(lastText(), "[试题名称]不能为空，请选择!");
    type("edEnt_Name", "测试实体");
    click("btnAdd");
    EXPECT_EQ(lastText(), "[SIM卡序列号]不能为空，请输入!");
    type("edSimSequence", "AUC000009");
    click("btnAdd");
    EXPECT_EQ(lastText(), "提示：新增信息成功!");
    EXPECT_EQ(
        sent("RMOSMQ44")["listResRemoteSysAuc"],
        json::parse(
            R"([{"SIM_SEQUENCE":"AUC000009","ENT_TYPE":1,"ENT_CODE":"1234","ENT_NAME":"测试实体"}])"));

    // Only the name changes on Modify, and only its cell is rewritten.
    click("btnQuery");
    int row = -1;
    for (int i = 0; i < rows()->rowCount(); ++i)
        if (cell(i, 3) == "AUC000009")
            row = i;
    ASSERT_GE(row, 0);
    clickRow("lstvShowList", row);
    EXPECT_FALSE(edit("edEnt_Name")->isReadOnly());
    type("edEnt_Name", "改名实体");
    click("btnMod");
    EXPECT_EQ(lastText(), "提示：信息修改成功!");
    EXPECT_EQ(cell(row, 2), "改名实体");
    EXPECT_EQ(
        sent("RMOSMQ45")["listResRemoteSysAuc"],
        json::parse(
            R"([{"SIM_SEQUENCE":"AUC000009","ENT_TYPE":1,"ENT_CODE":"1234","ENT_NAME":"改名实体"}])"));
}

} // namespace
