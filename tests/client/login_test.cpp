// Logging in against a real rsimd through the dialog: success, the service's refusal, and a
// service that is down or stuck.
#include "login_dialog.h"
#include "loopback_port.h"
#include "main_window.h"
#include "rsimd_process.h"

#include <QDialogButtonBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include <gtest/gtest.h>

// Failures show texts as text.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << text.toStdString();
}

namespace {

struct Attempt {
    bool accepted;
    QString status;
    qint64 milliseconds;
};

Attempt logIn(LoginDialog& dialog, const QString& login, const QString& password)
{
    dialog.findChild<QLineEdit*>("login")->setText(login);
    dialog.findChild<QLineEdit*>("password")->setText(password);
    QElapsedTimer clock;
    clock.start();
    dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
    return {dialog.result() == QDialog::Accepted, dialog.findChild<QLabel*>("status")->text(),
            clock.elapsed()};
}

} // namespace

class LoginTest : public ::testing::Test {
protected:
    static QString address()
    {
        return QString::fromStdString(testsupport::sharedRsimd().address());
    }
};

TEST_F(LoginTest, AWrongPasswordIsRefusedAndSuccessBecomesTheServiceOfTheProcess)
{
    const QString typedWithoutScheme = address().mid(QString("http://").size()) + "/";
    LoginDialog dialog("", typedWithoutScheme);
    const Attempt attempt = logIn(dialog, "admin", "admin123");
    ASSERT_TRUE(attempt.accepted) << attempt.status.toStdString();
    EXPECT_EQ(dialog.service(), address());
    EXPECT_EQ(qEnvironmentVariable("TAV_BROKER_TAVORINE"), address())
        << "the module's windows bind there";
    ASSERT_FALSE(dialog.loggedIn().OP_NAME.empty());

    ModuleLoader noModule;
    MainWindow window(dialog.loggedIn(), dialog.service(), noModule);
    const QString who = window.statusBar()->findChild<QLabel*>("operator")->text();
    EXPECT_TRUE(who.contains(QString::fromStdString(dialog.loggedIn().OP_NAME)))
        << who.toStdString();
    EXPECT_TRUE(who.contains("（admin）")) << who.toStdString();
    EXPECT_EQ(window.statusBar()->findChild<QLabel*>("service")->text(), "服务：" + address());

    // A wrong password shows the service's message and the dialog stays open for another try.
    LoginDialog again("", address());
    const Attempt refused = logIn(again, "admin", "wrong");
    EXPECT_FALSE(refused.accepted);
    EXPECT_TRUE(refused.status.startsWith("登录名或密码错误")) << refused.status.toStdString();
    const Attempt retry = logIn(again, "viewer", "viewer123");
    EXPECT_TRUE(retry.accepted) << retry.status.toStdString();
    EXPECT_EQ(again.loggedIn().LOGIN_NAME, "viewer");
}

TEST_F(LoginTest, IncompleteInputIsRefusedAndPlainHttpToAnotherHostWarnedOf)
{
    LoginDialog dialog("", address());
    EXPECT_EQ(logIn(dialog, "", "admin123").status, "请输入登录名。");
    dialog.findChild<QLineEdit*>("service")->setText("  ");
    EXPECT_EQ(logIn(dialog, "admin", "admin123").status, "请输入服务地址。");
    for (const char* notAService : {"ftp://127.0.0.1:21", "http://", "http://127.0.0.1:7411/v1"}) {
        dialog.findChild<QLineEdit*>("service")->setText(notAService);
        EXPECT_EQ(logIn(dialog, "admin", "admin123").status,
                  QString("服务地址 %1 无效，应为 http://主机:端口").arg(notAService));
    }

    // Plain HTTP to another host is warned of before the password is sent.
    auto* warning = dialog.findChild<QLabel*>("serviceWarning");
    for (const auto& [typed, warned] :
         std::vector<std::pair<QString, bool>>{{"192.0.2.7:7411", true},
                                               {"http://rsim.example.com:7411", true},
                                               {"https://rsim.example.com:7411", false},
                                               {"127.0.0.2:7411", false},
                                               {"http://localhost:7411", false},
                                               {"http://[::1]:7411", false}}) {
        dialog.findChild<QLineEdit*>("service")->setText(typed);
        EXPECT_EQ(warning->text().contains("未加密的 http://"), warned) << typed.toStdString();
        EXPECT_EQ(!warning->isHidden(), warned) << typed.toStdString();
    }
}

// A service that is down is named at once (by its address); one that never answers is given up
// within seconds.
TEST(LoginUnreachableTest, AServiceDownOrSilentIsGivenUpWithinSeconds)
{
    using Behaviour = testsupport::LoopbackPort::Behaviour;
    for (const auto& [behaviour, status, limit] :
         {std::tuple<Behaviour, QString, qint64>{Behaviour::Closed, "无法连接远程写卡管理服务 @",
                                                 4000},
          {Behaviour::Silent, "没有应答", 10000}}) {
        const testsupport::LoopbackPort service(behaviour);
        const QString address = QString::fromStdString(service.address());
        LoginDialog dialog("", address);
        const Attempt attempt = logIn(dialog, "admin", "admin123");
        EXPECT_FALSE(attempt.accepted);
        EXPECT_TRUE(attempt.status.contains(QString(status).replace("@", address)))
            << attempt.status.toStdString();
        EXPECT_LT(attempt.milliseconds, limit);
    }
}
