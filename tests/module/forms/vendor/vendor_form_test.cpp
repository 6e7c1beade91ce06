// The card-vendor window: the coded KI criterion that Clear leaves ticked.
#include "reference_form.h"

using formtest::ReferenceForm;
using nlohmann::json;

namespace {

class VendorForm : public ReferenceForm {
protected:
    void SetUp() override
    {
        ReferenceForm::SetUp();
        Open(10150175);
    }
};

TEST_F(VendorForm, AFreshWindowQueriesByTheFirstKiItemUntilTheBoxIsUnticked)
{
    EXPECT_TRUE(box("chkIsKI")->isChecked());
    form_->btnQueryClick();
    EXPECT_EQ(sent("RMOSMQ12"), json::parse(R"({"sResRemoteVendorCode":{"IS_KI":0}})"));
    ASSERT_EQ(list()->rowCount(), 1);
    EXPECT_EQ(list()->caption(0), "V02");

    form_->btnClearClick();
    EXPECT_TRUE(box("chkIsKI")->isChecked());
    EXPECT_TRUE(combo("cmbQryIsKI")->isEnabled());

    ShowActive();
    click(box("chkIsKI"));
    EXPECT_FALSE(combo("cmbQryIsKI")->isEnabled());
    form_->btnQueryClick();
    EXPECT_EQ(sent("RMOSMQ12"), json::parse(R"({"sResRemoteVendorCode":{}})"));
    EXPECT_EQ(list()->rowCount(), 3);
}

TEST_F(VendorForm, AnEmptyVendorCodeIsReportedAsTheCardTypeCode)
{
    edit("edtVendorName")->setText("卡商");
    form_->btnAddClick();
    EXPECT_EQ(gui_->lastMessage().text, "请输入[卡类型代码]!");
    EXPECT_TRUE(Calls("RMOSMQ09").empty());
}

} // namespace
