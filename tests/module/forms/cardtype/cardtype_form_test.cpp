// The card-type window: two coded fields through code lists, and status criteria that are
// shown but not sent.
#include "reference_form.h"

using formtest::ReferenceForm;
using nlohmann::json;

namespace {

class CardTypeForm : public ReferenceForm {
protected:
    void SetUp() override
    {
        ReferenceForm::SetUp();
        Open(10150174);
    }
};

TEST_F(CardTypeForm, TheStatusCriteriaAreShownButNeverSent)
{
    QComboBox* status = combo("cmbQrySts");
    EXPECT_EQ(status->itemText(status->count() - 1), "[0] 全部");
    for (const QString choice : {"[0] 全部", "[3] 注销"}) {
        status->setCurrentText(choice);
        combo("cmbQryISDouble")->setCurrentIndex(1);
        form_->btnQueryClick();
        EXPECT_EQ(sent("RMOSMQ08"), json::parse(R"({"sResRemoteCardType":{}})"))
            << choice.toStdString();
        EXPECT_EQ(list()->rowCount(), 3);
    }
}

TEST_F(CardTypeForm, ACardTypeIsAddedWithItsCodesAndListedWithTheirItems)
{
    edit("edtCardType")->setText("T9");
    edit("edtCardName")->setText("测试卡");
    combo("cmbEditSts")->setCurrentText("[2] 暂停");
    combo("cmbEditIsDouble")->setCurrentText("[1] 是");
    form_->btnAddClick();
    EXPECT_EQ(sent("RMOSMQ05")["listResRemoteCardType"],
              json::parse(R"([{"CARD_TYPE":"T9","CARD_NAME":"测试卡","STS":2,"IS_DOUBLE":1}])"));
    EXPECT_EQ(gui_->lastMessage().text, "提示：新增信息成功!");
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(list()->cellText(0, 2), "[2] 暂停");
    EXPECT_EQ(list()->cellText(0, 3), "[1] 是");

    confirmNext();
    form_->btnDeleteClick();
    EXPECT_EQ(gui_->lastMessage().text, "提示:信息删除成功!");
}

TEST_F(CardTypeForm, ClearingTheEditAreaShowsTheEmptyRecordsCodes)
{
    form_->btnQueryClick();
    EXPECT_EQ(combo("cmbEditSts")->currentText(), "[1] 有效");
    form_->btnClearBaseClick();
    // Status 0 has no item, "one card two numbers" 0 is "否".
    EXPECT_EQ(combo("cmbEditSts")->currentIndex(), -1);
    EXPECT_EQ(combo("cmbEditIsDouble")->currentText(), "[0] 否");
    EXPECT_TRUE(edit("edtCardType")->text().isEmpty());
}

} // namespace
