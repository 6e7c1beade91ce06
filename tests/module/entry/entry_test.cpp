// The module's export: codes that open nothing, an initialisation that fails.
#include "window_driver.h"

#include <QApplication>

namespace {

using Entry = windowtest::WindowDriver;

TEST_F(Entry, UnlistedCodesGiveNothingAndAFailedStartShowsOneMessage)
{
    // Unlisted codes and a null operator give nothing.
    const int before = QApplication::topLevelWidgets().size();
    for (int code : {10150180, 10150181, 10150184, 10150172, 10150188, 0, -1})
        EXPECT_EQ(CreateBusinessForm(code, &operator_), nullptr) << code;
    EXPECT_EQ(CreateBusinessForm(10150173, nullptr), nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
    EXPECT_TRUE(gui_->messages().empty());

    // Binding the service object and the system library calls nothing, so the rights check is the
    // first call of the initialisation and the one the service refuses here: the window shows that
    // refusal as the library's error record, closes its wait box and goes no further.
    tvd_setProcessSession("not-a-session");
    ClearCalls();
    EXPECT_EQ(CreateBusinessForm(10150173, &operator_), nullptr);
    ASSERT_EQ(Calls().size(), 1U) << "the initialisation went on after the refused rights check";
    EXPECT_EQ(Calls()[0].code, "SYSMQ01");
    expectOnlyMessage("TavBroker返回错误消息:\n[Message] 会话无效或已过期，请重新登录\n[Hint   ] "
                      "chk_operRight\n[Code   ] 1\n[MinCode] 7",
                      "异常信息", MB_ICONHAND);
    EXPECT_EQ(gui_->waitEvents(), QStringList({"show:正在初始化控件界面中，请稍候...", "close"}));

    // An unreachable service shows the resource text.
    gui_->clear();
    const std::string address = windowtest::ServiceAddress();
    setenv("TAV_BROKER_TAVORINE", "http://127.0.0.1:1", 1);
    EXPECT_EQ(CreateBusinessForm(10150173, &operator_), nullptr);
    setenv("TAV_BROKER_TAVORINE", address.c_str(), 1);
    ASSERT_EQ(gui_->messages().size(), 1U);
    EXPECT_EQ(gui_->messages()[0].caption, "异常信息");
    EXPECT_TRUE(gui_->messages()[0].text.startsWith("公共服务初始化失败"));
    EXPECT_FALSE(gui_->waitBoxOpen());
}

} // namespace
