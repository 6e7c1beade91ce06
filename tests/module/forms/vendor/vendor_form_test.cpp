// The card-vendor window: the coded KI criterion that Clear leaves ticked.
#include "window_driver.h"

using nlohmann::json;

namespace {

using VendorForm = windowtest::OpenedWindow<10150175>;

TEST_F(VendorForm, AFreshWindowQueriesByTheFirstKiItemUntilTheBoxIsUnticked)
{
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ12"), json::parse(R"({"sResRemoteVendorCode":{"IS_KI":0}})"));
    ASSERT_EQ(rows()->rowCount(), 1);
    EXPECT_EQ(rows()->caption(0), "V02");

    click("btnClear");
    EXPECT_TRUE(box("chkIsKI")->isChecked());
    EXPECT_TRUE(combo("cmbQryIsKI")->isEnabled());

    click("chkIsKI");
    EXPECT_FALSE(combo("cmbQryIsKI")->isEnabled());
    click("btnQuery");
    EXPECT_EQ(sent("RMOSMQ12"), json::parse(R"({"sResRemoteVendorCode":{}})"));
    EXPECT_EQ(rows()->rowCount(), 3);
}

} // namespace
