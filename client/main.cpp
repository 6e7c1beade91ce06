// rsimclient: the desktop host of the remote-SIM business module.
#include "TVGUICommon.h"
#include "client_settings.h"
#include "login_dialog.h"
#include "main_window.h"
#include "secret_input.h"
#include "service_login.h"
#include "unattended.h"

#include <QApplication>
#include <QCommandLineParser>

#include <cstdio>

namespace {

QString fromEnvironment(const char* name, const QString& fallback = {})
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

void addOptions(QCommandLineParser& options)
{
    options.setApplicationDescription("远程写卡管理客户端");
    options.addHelpOption();
    options.addOptions({
        {"service", "服务地址，多个时以逗号分隔，依次尝试（默认取 TAV_BROKER_TAVORINE）", "url",
         fromEnvironment("TAV_BROKER_TAVORINE", "http://127.0.0.1:7411")},
        {"login", "登录名（默认取 RSIM_LOGIN）", "name", fromEnvironment("RSIM_LOGIN")},
        {"password-file",
         "密码所在的文件（取首行），仅用于 --screenshots（默认取 RSIM_PASSWORD，"
         "都没有时在终端上询问）",
         "file"},
        {"module", "业务模块的路径", "path", ModuleLoader::defaultPath()},
        {"screenshots", "不显示登录框：登录，依次打开每个功能窗口，各存一张截图到该目录，然后退出",
         "dir"},
    });
    // The old form, which put the password in every user's process list: refused with what
    // replaces it.
    QCommandLineOption passwordOnCommandLine("password", "", "password");
    passwordOnCommandLine.setFlags(QCommandLineOption::HiddenFromHelp);
    options.addOption(passwordOnCommandLine);
}

// Ends the session when the client ends, so that it does not stay live for its lifetime.
void logOut()
{
    if (const std::string problem = LogOutOfService(); !problem.empty())
        std::fprintf(stderr, "rsimclient: 注销会话失败：%s\n", problem.c_str());
}

int runUnattended(const QCommandLineParser& options, const ModuleLoader& module)
{
    PrintingInteraction unattended;
    setGuiInteraction(&unattended);
    if (!module.loaded()) {
        std::fprintf(stderr, "rsimclient: %s\n", module.error().toUtf8().constData());
        return 1;
    }
    const std::string service = NormalisedServiceAddress(options.value("service").toStdString());
    if (const std::string warning = PlainHttpWarning(service); !warning.empty())
        std::fprintf(stderr, "rsimclient: %s\n", warning.c_str());
    QString problem;
    const auto password =
        ReadSecret(options.value("password-file"), "RSIM_PASSWORD", true, "密码：", problem);
    if (!password) {
        std::fprintf(stderr, "rsimclient: %s\n", problem.toUtf8().constData());
        return 2;
    }
    MSysmgntDef::SOperator op;
    const std::string refused =
        LogInAtService(service, options.value("login").toStdString(), password->toStdString(), op);
    if (!refused.empty()) {
        std::fprintf(stderr, "rsimclient: 登录失败：%s\n", refused.c_str());
        return 2;
    }
    MainWindow window(op, QString::fromStdString(service), module);
    const int status = WriteScreenshots(window, options.value("screenshots"));
    logOut();
    return status;
}

// The command line and the environment first, then what the last login used.
QString remembered(const QCommandLineParser& options, const char* option, const char* variable,
                   const QString& last)
{
    const bool given = options.isSet(option) || !qEnvironmentVariableIsEmpty(variable);
    return given || last.isEmpty() ? options.value(option) : last;
}

int runInteractive(QApplication& app, const QCommandLineParser& options, const ModuleLoader& module)
{
    ClientSettings settings;
    LoginDialog login(
        remembered(options, "login", "RSIM_LOGIN", settings.lastLogin()),
        remembered(options, "service", "TAV_BROKER_TAVORINE", settings.lastService()));
    if (login.exec() != QDialog::Accepted)
        return 0;
    settings.rememberLogin(QString::fromStdString(login.loggedIn().LOGIN_NAME), login.service());
    MainWindow window(login.loggedIn(), login.service(), module);
    window.show();
    if (!module.loaded())
        ShowGUIMessage("%s", "业务模块", MB_OK | MB_ICONEXCLAMATION,
                       module.error().toUtf8().constData());
    const int status = app.exec();
    logOut();
    return status;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName("rsimclient");
    QCommandLineParser options;
    addOptions(options);
    options.process(app);
    if (options.isSet("password")) {
        const QString refusal = SecretOnCommandLine(
            "password", "环境变量 RSIM_PASSWORD 或 --password-file FILE（仅用于 --screenshots；"
                        "平时在登录框中输入）");
        std::fprintf(stderr, "rsimclient: %s\n", refusal.toUtf8().constData());
        return 2;
    }

    // Loaded before the login, kept until the process ends.
    ModuleLoader module;
    module.load(options.value("module"));
    if (options.isSet("screenshots"))
        return runUnattended(options, module);
    return runInteractive(app, options, module);
}
