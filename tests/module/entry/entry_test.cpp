// The module's export: which codes open a window, and an initialisation that fails.
#include "CreateBusinessForm.h"
#include "form_harness.h"

#include <QApplication>

#include <QCheckBox>
#include <QTest>

using formtest::FormHarness;

namespace {

class Entry : public FormHarness {};

TEST_F(Entry, EveryListedCodeOpensItsWindow)
{
    const std::pair<int, const char*> listed[] = {{10150173, "远程写卡省份代码维护"},
                                                  {10150174, "远程写卡卡类型维护"},
                                                  {10150175, "远程写卡卡商维护"},
                                                  {10150176, "远程写卡_SIM卡信息维护"},
                                                  {10150177, "远程写卡号群与IMSI关系维护"},
                                                  {10150178, "远程写卡号群与号段关系维护"},
                                                  {10150179, "远程写卡号群维护"},
                                                  {10150182, "远程写卡卡商/卡类型/写卡组件维护"},
                                                  {10150183, "远程写卡错误代码表维护"},
                                                  {10150185, "远程写卡鉴权卡权限信息维护"},
                                                  {10150186, "远程写卡鉴权卡登陆校验信息维护"},
                                                  {10150187, "远程写卡信息查询"}};
    for (const auto& [code, caption] : listed) {
        std::unique_ptr<TfrmMDIChild> form(CreateBusinessForm(code, &operator_));
        ASSERT_NE(form, nullptr) << code;
        EXPECT_EQ(form->Caption(), QString::fromUtf8(caption));
    }
    EXPECT_TRUE(gui_->messages().empty());
}

TEST_F(Entry, UnlistedCodesAndANullOperatorGiveNothing)
{
    const int before = QApplication::topLevelWidgets().size();
    for (int code : {10150180, 10150181, 10150184, 10150172, 10150188, 0, -1})
        EXPECT_EQ(CreateBusinessForm(code, &operator_), nullptr) << code;
    EXPECT_EQ(CreateBusinessForm(10150173, nullptr), nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), before);
    EXPECT_TRUE(gui_->messages().empty());
}

// What the operator does in one window leaves the other as it was, and closing one leaves the
// other working.
TEST_F(Entry, TwoCallsGiveTwoIndependentWindows)
{
    std::unique_ptr<TfrmMDIChild> a(CreateBusinessForm(10150173, &operator_));
    std::unique_ptr<TfrmMDIChild> b(CreateBusinessForm(10150173, &operator_));
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    a->show();
    b->show();
    auto* checkA = a->findChild<QCheckBox*>("ckbQryProvinceCode");
    auto* checkB = b->findChild<QCheckBox*>("ckbQryProvinceCode");
    ASSERT_NE(checkA, nullptr);
    ASSERT_NE(checkB, nullptr);
    const bool bBefore = checkB->isChecked();
    QTest::mouseClick(checkA, Qt::LeftButton);
    EXPECT_NE(checkA->isChecked(), bBefore) << "the click reached window a";
    EXPECT_EQ(checkB->isChecked(), bBefore) << "window b followed window a";

    a.reset();
    QTest::mouseClick(checkB, Qt::LeftButton);
    EXPECT_NE(checkB->isChecked(), bBefore) << "window b stopped working when a closed";
}

// Binding the service object and the system library calls nothing, so the rights check is the
// first call of the initialisation and the one the service refuses here: the window shows that
// refusal as the library's error record, closes its wait box and goes no further.
TEST_F(Entry, ARefusedRightsCheckShowsOneMessageAndLeavesNoWaitBox)
{
    tvd_setProcessSession("not-a-session");
    ClearCalls();
    EXPECT_EQ(CreateBusinessForm(10150173, &operator_), nullptr);
    ASSERT_EQ(Calls().size(), 1U) << "the initialisation went on after the refused rights check";
    EXPECT_EQ(Calls()[0].code, "SYSMQ01");
    ASSERT_EQ(gui_->messages().size(), 1U);
    EXPECT_EQ(gui_->messages()[0].caption, "异常信息");
    EXPECT_EQ(gui_->messages()[0].flags, 16);
    EXPECT_EQ(gui_->messages()[0].text.toStdString(),
              "TavBroker返回错误消息:\n[Message] 会话无效或已过期，请重新登录\n[Hint   ] "
              "chk_operRight\n[Code   ] 1\n[MinCode] 7");
    EXPECT_EQ(gui_->waitEvents(), QStringList({"show:正在初始化控件界面中，请稍候...", "close"}));
}

TEST_F(Entry, AnUnreachableServiceShowsTheResourceText)
{
    const std::string address = formtest::ServiceAddress();
    setenv("TAV_BROKER_TAVORINE", "http://127.0.0.1:1", 1);
    EXPECT_EQ(CreateBusinessForm(10150173, &operator_), nullptr);
    setenv("TAV_BROKER_TAVORINE", address.c_str(), 1);
    ASSERT_EQ(gui_->messages().size(), 1U);
    EXPECT_EQ(gui_->messages()[0].caption, "异常信息");
    EXPECT_TRUE(gui_->messages()[0].text.startsWith("公共服务初始化失败"));
    EXPECT_FALSE(gui_->waitBoxOpen());
}

} // namespace
