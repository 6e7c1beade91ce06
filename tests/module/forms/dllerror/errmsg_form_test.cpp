// The registry pattern in depth, through the window of the vendor libraries' error codes.
#include "window_driver.h"

using nlohmann::json;

namespace {

class ErrMsgForm : public windowtest::OpenedWindow<10150183> {
protected:
    // Fills the edit area for a new error code of the first vendor. Codes added to the
    // "added.dll" library of C64 cards stay out of the first query (C128 cards).
    void fillNew(const QString& cardType, const QString& code, const QString& message,
                 const QString& library = "hnsc_w128.dll")
    {
        click("btnClearBase");
        choose("cmb_Vendor", "V01");
        choose("cmbCard_Type", cardType);
        type("edDLL_Name", library);
        type("edError_Code", code);
        type("edError_Msg", message);
    }
};

TEST_F(ErrMsgForm, TickedCriteriaAreCheckedInOrderSentTrimmedAndClearedAndAQueryFillsTheRows)
{
    click("chkErrorMsg");
    click("chkDLLName");
    EXPECT_FALSE(edit("edDLLName")->isReadOnly());
    click("btnQuery");
    EXPECT_EQ(lastText(), "请输入[组件文件名]!");

    type("edDLLName", "   ");
    click("btnQuery");
    EXPECT_EQ(lastText(), "请输入[错误信息]!");
    EXPECT_TRUE(Calls("RMOSMQ37").empty());

    type("edErrorMsg", " 读卡器 ");
    click("btnQuery");
    EXPECT_EQ(
        sent("RMOSMQ37")["sResRemoteDllErrMsg"],
        json::parse(
            R"({"VENDOR_CODE":"V01","CARD_TYPE":"C128","DLL_NAME":"","ERR_MESSAGE":"读卡器"})"));

    // An unticked box makes its editor read-only again and leaves its criterion out.
    click("chkDLLName");
    EXPECT_TRUE(edit("edDLLName")->isReadOnly());
    click("btnQuery");
    EXPECT_FALSE(sent("RMOSMQ37")["sResRemoteDllErrMsg"].contains("DLL_NAME"));

    // Clear ticks the choices again, unticks the texts and empties them.
    type("edErrorMsg", "E1");
    choose("cmbVendor", "V02");
    click("chkVendor");
    EXPECT_FALSE(combo("cmbVendor")->isEnabled());
    click("btnClear");
    EXPECT_TRUE(box("chkVendor")->isChecked());
    EXPECT_TRUE(combo("cmbVendor")->isEnabled());
    EXPECT_EQ(combo("cmbVendor")->currentIndex(), 0);
    EXPECT_TRUE(edit("edErrorMsg")->text().isEmpty());

    // A query fills the rows and disables the writes.
    gui_->clear();
    click("btnQuery");
    ASSERT_EQ(rows()->rowCount(), 3);
    EXPECT_TRUE(cell(0, 0).startsWith("[V01] "));
    EXPECT_TRUE(cell(0, 1).startsWith("[C128] "));
    EXPECT_EQ(cell(0, 2), "hnsc_w128.dll");
    EXPECT_EQ(cell(1, 3), "E002");
    for (const char* name : {"btnAdd", "btnMod", "btnDel"})
        EXPECT_FALSE(button(name)->isEnabled()) << name;
    EXPECT_TRUE(gui_->waitEvents().isEmpty());
    EXPECT_TRUE(gui_->messages().empty());

    click("chkErrorCode");
    type("edErrorCode", "NO-SUCH-CODE");
    click("btnQuery");
    EXPECT_EQ(lastText(), "提示：没有查到相关信息!");
    EXPECT_EQ(lastFlags(), 64);
    EXPECT_EQ(rows()->rowCount(), 0);
}

TEST_F(ErrMsgForm, TheEditAreaIsCheckedInItsOwnOrderAndAddSendsItAsTyped)
{
    // The error code comes before the library name, though it stands after it (the window suite
    // checks its message on a cleared edit area).
    click("btnClearBase");
    click("btnAdd");
    EXPECT_TRUE(edit("edError_Code")->hasFocus());
    type("edError_Code", "E100");
    click("btnAdd");
    EXPECT_EQ(lastText(), "[组件文件名]不能为空，请输入!");
    type("edDLL_Name", "x.dll");
    type("edError_Msg", "   ");
    click("btnAdd");
    EXPECT_EQ(lastText(), "[错误信息]不能为空，请输入!");
    EXPECT_TRUE(Calls("RMOSMQ34").empty());

    // Add sends the record as typed and appends a row linked to nothing.
    click("btnQuery");
    fillNew("C64", "E100", " 新错误 ", "added.dll");
    click("btnAdd");
    EXPECT_EQ(lastText(), "提示：信息新增成功!");
    EXPECT_EQ(sent("RMOSMQ34")["listResRemoteDllErrMsg"],
              json::parse(R"([{"VENDOR_CODE":"V01","CARD_TYPE":"C64","DLL_NAME":"added.dll",
                              "ERR_CODE":"E100","ERR_MESSAGE":" 新错误 "}])"));
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(cell(0, 0), combo("cmb_Vendor")->currentText());
    EXPECT_EQ(cell(0, 3), "E100");
    EXPECT_EQ(cell(0, 4), " 新错误 ");
    EXPECT_FALSE(button("btnAdd")->isEnabled());

    // The appended row loads nothing when clicked.
    type("edError_Msg", "unchanged");
    clickRow("lstvShowList", 0);
    EXPECT_EQ(edit("edError_Msg")->text(), "unchanged");
    EXPECT_FALSE(button("btnMod")->isEnabled());

    // The same key again: refused, and Add stays disabled.
    fillNew("C64", "E100", "again", "added.dll");
    click("btnAdd");
    EXPECT_TRUE(lastText().startsWith("异常：调用新增接口失败\n[")) << lastText().toStdString();
    EXPECT_EQ(lastFlags(), 64);
    EXPECT_FALSE(button("btnAdd")->isEnabled());
}

TEST_F(ErrMsgForm, ARowClickLoadsTheRecordModifyAndDeleteSendItsKey)
{
    click("btnQuery");
    clickRow("lstvShowList", 1);
    EXPECT_EQ(edit("edError_Code")->text(), "E002");
    EXPECT_EQ(edit("edDLL_Name")->text(), "hnsc_w128.dll");
    EXPECT_EQ(edit("edError_Msg")->text(), "卡片写入校验失败");
    EXPECT_TRUE(combo("cmb_Vendor")->currentText().startsWith("[V01] "));
    EXPECT_TRUE(combo("cmbCard_Type")->currentText().startsWith("[C128] "));
    EXPECT_FALSE(edit("edError_Msg")->isReadOnly());
    // Enabled by the click, but nothing selected any more.
    rows()->setSelectedRow(-1);
    click("btnMod");
    EXPECT_EQ(lastText(), "请选择要修改的记录!");
    EXPECT_TRUE(Calls("RMOSMQ35").empty());
    clickRow("lstvShowList", 2);
    type("edError_Msg", "KI无法解密");
    click("btnMod");
    EXPECT_TRUE(gui_->waitEvents().isEmpty());
    EXPECT_EQ(lastText(), "提示：信息修改成功!");
    EXPECT_EQ(sent("RMOSMQ35")["listResRemoteDllErrMsg"],
              json::parse(R"([{"VENDOR_CODE":"V01","CARD_TYPE":"C128","DLL_NAME":"hnsc_w128.dll",
                              "ERR_CODE":"E003","ERR_MESSAGE":"KI无法解密"}])"));
    EXPECT_EQ(cell(2, 4), "KI无法解密");
    EXPECT_EQ(cell(2, 3), "E003");
    EXPECT_EQ(rows()->rowCount(), 3);

    // Delete asks nothing, sends the clicked key and removes the row.
    fillNew("C128", "E900", "待删除");
    click("btnAdd");
    click("btnQuery");
    ASSERT_EQ(rows()->rowCount(), 4);
    clickRow("lstvShowList", 3);
    rows()->setSelectedRow(-1);
    click("btnDel");
    EXPECT_EQ(lastText(), "请选择要删除的记录!");
    clickRow("lstvShowList", 3);
    gui_->clear();
    click("btnDel");
    expectOnlyMessage("提示:信息删除成功!", "提示", MB_OK);
    EXPECT_EQ(sent("RMOSMQ36")["listResRemoteDllErrMsg"],
              json::parse(R"([{"VENDOR_CODE":"V01","CARD_TYPE":"C128","DLL_NAME":"hnsc_w128.dll",
                              "ERR_CODE":"E900"}])"));
    EXPECT_EQ(rows()->rowCount(), 3);

    // The clicked record is gone on the server: a second delete is refused and disables Delete.
    rows()->setSelectedRow(0);
    click("btnDel");
    EXPECT_TRUE(lastText().startsWith("异常：调用信息删除接口失败\n[")) << lastText().toStdString();
    EXPECT_FALSE(button("btnDel")->isEnabled());
}

} // namespace
