// The rsimclient binary's unattended run: one PNG per business function, the session ended after
// it, and a clear failure when the login or the module is wrong.
#include "ResRemoteSimTables.h"
#include "driver.h"
#include "rsimd_process.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

struct ClientRun {
    int exitCode;
    QString errors;
};

ClientRun runClient(const QStringList& arguments, const QProcessEnvironment& environment)
{
    QProcess client;
    client.setProcessEnvironment(environment);
    client.start(RSIMCLIENT, arguments);
    if (!client.waitForFinished(90000)) {
        client.kill();
        client.waitForFinished();
        return {-1, "rsimclient did not finish"};
    }
    return {client.exitStatus() == QProcess::NormalExit ? client.exitCode() : -1,
            QString::fromUtf8(client.readAllStandardError())};
}

QProcessEnvironment offscreen()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    for (const char* name : {"TAV_BROKER_TAVORINE", "RSIM_LOGIN", "RSIM_PASSWORD"})
        environment.remove(name);
    return environment;
}

} // namespace

class ScreenshotsTest : public ::testing::Test {
protected:
    static QString address()
    {
        return QString::fromStdString(testsupport::sharedRsimd().address());
    }
    static std::int64_t liveSessions()
    {
        return testsupport::sharedRsimd().number("SELECT COUNT(*) FROM sys_session");
    }

    QTemporaryDir folder_;
};

TEST_F(ScreenshotsTest, WritesOnePicturePerFunctionAndLogsOutOrSaysWhyTheLoginFailed)
{
    const QString target = folder_.filePath("shots/admin");
    const std::int64_t sessions = liveSessions();
    const QTemporaryDir secrets;
    QFile password(secrets.filePath("password"));
    ASSERT_TRUE(password.open(QIODevice::WriteOnly));
    password.write("admin123\n");
    password.close();
    const ClientRun run = runClient({"--service", address(), "--login", "admin", "--password-file",
                                     password.fileName(), "--screenshots", target},
                                    offscreen());
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(liveSessions(), sessions) << "the client ends its session when it ends";

    QStringList expected;
    for (const auto& window : rsimcatalog::Windows())
        expected << QString::number(window.functionCode) + ".png";
    EXPECT_EQ(QDir(target).entryList(QDir::Files, QDir::Name), expected);

    // A password on the command line is refused before anything is done.
    const ClientRun shown = runClient({"--service", address(), "--login", "admin", "--password",
                                       "admin123", "--screenshots", folder_.path()},
                                      offscreen());
    EXPECT_EQ(shown.exitCode, 2);
    EXPECT_TRUE(shown.errors.contains("--password 不再在命令行上接受值"))
        << shown.errors.toStdString();

    // Credentials come from the environment, and a failed login says why.
    QProcessEnvironment environment = offscreen();
    environment.insert("TAV_BROKER_TAVORINE", address());
    environment.insert("RSIM_LOGIN", "admin");
    environment.insert("RSIM_PASSWORD", "wrong");
    const ClientRun refused = runClient({"--screenshots", folder_.path()}, environment);
    EXPECT_NE(refused.exitCode, 0);
    EXPECT_TRUE(refused.errors.contains("登录失败：登录名或密码错误"))
        << refused.errors.toStdString();
    EXPECT_TRUE(QDir(folder_.path()).entryList(QDir::Files).isEmpty());
}
