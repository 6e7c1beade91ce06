// The card-type window: two coded fields through code lists, and status criteria that are
// shown but not sent.
#include "window_driver.h"

using nlohmann::json;

namespace {

using CardTypeForm = windowtest::OpenedWindow<10150174>;

TEST_F(CardTypeForm, StatusCriteriaAreNeverSentAndACardTypeTravelsAsCodesShownAsItems)
{
    QComboBox* status = combo("cmbQrySts");
    EXPECT_EQ(status->itemText(status->count() - 1), "[0] 全部");
    for (const QString choice : {"[0] 全部", "[3] 注销"}) {
        status->setCurrentText(choice);
        combo("cmbQryISDouble")->setCurrentIndex(1);
        click("btnQuery");
        EXPECT_EQ(sent("RMOSMQ08"), json::parse(R"({"sResRemoteCardType":{}})"))
            << choice.toStdString();
        EXPECT_EQ(rows()->rowCount(), 3);
    }
    // The first row is shown; clearing the edit area shows the empty record's codes: status 0
    // has no item, "one card two numbers" 0 is "否".
    EXPECT_EQ(combo("cmbEditSts")->currentText(), "[1] 有效");
    click("btnClearBase");
    EXPECT_EQ(combo("cmbEditSts")->currentIndex(), -1);
    EXPECT_EQ(combo("cmbEditIsDouble")->currentText(), "[0] 否");

    type("edtCardType", "T9");
    type("edtCardName", "测试卡");
    choose("cmbEditSts", "2");
    choose("cmbEditIsDouble", "1");
    click("btnAdd");
    EXPECT_EQ(sent("RMOSMQ05")["listResRemoteCardType"],
              json::parse(R"([{"CARD_TYPE":"T9","CARD_NAME":"测试卡","STS":2,"IS_DOUBLE":1}])"));
    EXPECT_EQ(lastText(), "提示：新增信息成功!");
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(cell(0, 2), "[2] 暂停");
    EXPECT_EQ(cell(0, 3), "[1] 是");

    click("btnDelete");
    EXPECT_EQ(lastText(), "提示:信息删除成功!");
}

} // namespace
