// The authentication-card login data: what this window does besides the registry pattern.
#include "window_driver.h"

using nlohmann::json;

namespace {

using AucVerifyForm = windowtest::OpenedWindow<10150186>;

TEST_F(AucVerifyForm, QueriesAlwaysFilterOnTheOperatorsPlaceARowShowsThePasswordAndAnAddedRowNoTime)
{
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ43")["sResRemoteAucInfo"],
              json::parse(R"({"VENDOR_CODE":"V01","CARD_TYPE":"C128","PROVINCE_CODE":"11","STS":1,
                              "REGION_CODE":10,"COUNTY_CODE":1001,"ORG_ID":100101})"));
    ASSERT_EQ(rows()->rowCount(), 2);
    EXPECT_EQ(cell(0, 3), "AUC000004");
    EXPECT_EQ(cell(0, 5), "pw0004") << "in clear, to an operator with the window's rights";
    EXPECT_EQ(cell(0, 6), "[10] 广州");
    EXPECT_TRUE(cell(0, 9).startsWith("[1] ")) << cell(0, 9).toStdString();
    EXPECT_EQ(cell(0, 10), "2026/11/20 10:00:00");
    EXPECT_EQ(cell(0, 11), combo("cmb_Sts")->itemText(0));

    for (const char* name : {"chkVendor", "chkCardType", "chkProvince", "chkSts"})
        click(name);
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ43")["sResRemoteAucInfo"],
              json::parse(R"({"REGION_CODE":10,"COUNTY_CODE":1001,"ORG_ID":100101})"));

    // A row click shows the password and leaves the function code editable.
    click("btnClear");
    click("btnQuery");
    clickRow("lstvShowList", 1);
    EXPECT_EQ(edit("edPwd")->text(), "pw0005");
    EXPECT_EQ(edit("edSimSequence")->text(), "AUC000005");
    EXPECT_FALSE(edit("edFunctionCode")->isReadOnly());
    EXPECT_TRUE(combo("cmb_Sts")->currentText().startsWith("[1] "));

    type("edFunctionCode", "READ");
    type("edPwd", "newpw");
    combo("cmb_Sts")->setCurrentIndex(1);
    click("btnMod");
    EXPECT_EQ(lastText(), "提示：信息修改成功!");
    EXPECT_EQ(sent("RMOSMQ41")["listResRemoteAucInfo"],
              json::parse(R"([{"PROVINCE_CODE":"11","VENDOR_CODE":"V01","CARD_TYPE":"C128",
                              "SIM_SEQUENCE":"AUC000005","PWD":"newpw","REGION_CODE":10,"COUNTY_CODE":1001,
                              "ORG_ID":100101,"FUNCTION_CODE":"READ","STS":2}])"));
    EXPECT_EQ(cell(1, 4), "READ");
    EXPECT_EQ(cell(1, 5), "newpw");
    EXPECT_EQ(cell(1, 11), combo("cmb_Sts")->itemText(1));

    click("btnClearBase");
    type("edSimSequence", "AUC777777");
    type("edFunctionCode", "WRITE");
    click("btnAdd");
    EXPECT_EQ(lastText(), "[密码]不能为空，请输入!");
    type("edPwd", "pw7777");
    click("btnAdd");
    EXPECT_EQ(lastText(), "提示：新增信息成功!");
    const json added = sent("RMOSMQ40")["listResRemoteAucInfo"][0];
    EXPECT_EQ(added["REGION_CODE"], 10);
    EXPECT_EQ(added["ORG_ID"], 100101);
    EXPECT_FALSE(added.contains("OP_ID"));
    EXPECT_FALSE(added.contains("OPER_DATE"));
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(cell(0, 6), "[10] 广州");
    EXPECT_TRUE(cell(0, 9).startsWith(QString("[%1] ").arg(operator_.OP_ID)))
        << cell(0, 9).toStdString();
    EXPECT_EQ(cell(0, 10), "");
    EXPECT_EQ(cell(0, 11), combo("cmb_Sts")->currentText());
}

} // namespace
