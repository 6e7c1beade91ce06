// The module's exports: its menu, codes that open nothing, an initialisation that fails.
#include "window_driver.h"

#include "ResRemoteSimTables.h"

#include <QApplication>

#include <set>

namespace {

using Entry = windowtest::WindowDriver;

// The menu offers every window of the catalog, under its caption.
std::set<int> menuCodes()
{
    int count = -1;
    const BusinessFunction* menu = BusinessFunctions(&count);
    const auto windows = rsimcatalog::Windows();
    EXPECT_EQ(count, static_cast<int>(windows.size()));
    std::set<int> codes;
    for (int i = 0; i < count && i < static_cast<int>(windows.size()); ++i) {
        EXPECT_EQ(menu[i].functionCode, windows[i].functionCode);
        EXPECT_EQ(menu[i].caption, windows[i].caption);
        codes.insert(menu[i].functionCode);
    }
    return codes;
}

TEST_F(Entry, CodesOffTheMenuGiveNothingAndAFailedStartShowsOneMessage)
{
    // Codes of the block that the menu does not offer, codes outside it and a null operator give
    // nothing.
    constexpr int kFirstOfBlock = 10150173, kLastOfBlock = 10150187;
    const std::set<int> offered = menuCodes();
    std::vector<int> unlisted = {kFirstOfBlock - 1, kLastOfBlock + 1, 0, -1};
    for (int code = kFirstOfBlock; code <= kLastOfBlock; ++code)
        if (!offered.contains(code))
            unlisted.push_back(code);
    EXPECT_GE(unlisted.size(), 5U) << "the block has codes without a window";
    const int before = QApplication::topLevelWidgets().size();
    for (int code : unlisted)
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
