// rsimclient: the desktop host of the remote-SIM business module.
#include "TVGUICommon.h"
#include "business_functions.h"
#include "login_dialog.h"
#include "main_window.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QMessageBox>
#include <QMdiSubWindow>

#include <cstdio>

namespace {

QString fromEnvironment(const char* name, const QString& fallback = {})
{
    const QByteArray value = qgetenv(name);
    return value.isEmpty() ? fallback : QString::fromUtf8(value);
}

// Message boxes of an unattended run: printed, never waited for.
class PrintingInteraction : public RecordingInteraction {
public:
    int message(const QString& text, const QString& caption, int flags) override
    {
        std::fprintf(stderr, "[%s] %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
        return RecordingInteraction::message(text, caption, flags);
    }
};

int writeScreenshots(MainWindow& window, const QString& folder)
{
    QDir().mkpath(folder);
    window.show();
    int written = 0;
    for (const auto& function : BusinessFunctions()) {
        QWidget* frame = window.openFunction(function.code);
        if (frame == nullptr) {
            std::fprintf(stderr, "rsimclient: window %d did not open\n", function.code);
            continue;
        }
        static_cast<QMdiSubWindow*>(frame)->showMaximized();
        QApplication::processEvents();
        const QString file = QString("%1/%2.png").arg(folder).arg(function.code);
        if (window.grab().save(file))
            ++written;
        frame->close();
        QApplication::processEvents();
    }
    std::printf("rsimclient: %d screenshots in %s\n", written, QDir(folder).absolutePath().toUtf8().constData());
    return written == static_cast<int>(BusinessFunctions().size()) ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    app.setApplicationName("rsimclient");
    QCommandLineParser options;
    options.setApplicationDescription("远程写卡管理客户端");
    options.addHelpOption();
    options.addOptions({
        {"service", "服务地址 (TAV_BROKER_TAVORINE)", "url", fromEnvironment("TAV_BROKER_TAVORINE", "http://127.0.0.1:7411")},
        {"login", "登录名 (RSIM_LOGIN)", "name", fromEnvironment("RSIM_LOGIN")},
        {"password", "密码 (RSIM_PASSWORD)", "password", fromEnvironment("RSIM_PASSWORD")},
        {"module", "业务模块路径", "path", ModuleLoader::defaultPath()},
        {"screenshots", "登录后打开每个窗口并保存截图到该目录，然后退出", "dir"},
    });
    options.process(app);

    ModuleLoader module;
    const bool moduleLoaded = module.load(options.value("module"));
    MSysmgntDef::SOperator op;
    QString service = options.value("service");

    if (options.isSet("screenshots")) {
        PrintingInteraction unattended;
        setGuiInteraction(&unattended);
        if (!moduleLoaded) {
            std::fprintf(stderr, "rsimclient: %s\n", module.error().toUtf8().constData());
            return 1;
        }
        const QString problem = LoginDialog::login(service, options.value("login"), options.value("password"), op);
        if (!problem.isEmpty()) {
            std::fprintf(stderr, "rsimclient: 登录失败：%s\n", problem.toUtf8().constData());
            return 1;
        }
        MainWindow window(op, service, module);
        return writeScreenshots(window, options.value("screenshots"));
    }

    LoginDialog login(options.value("login"), service);
    if (login.exec() != QDialog::Accepted)
        return 0;
    if (!moduleLoaded)
        QMessageBox::warning(nullptr, "业务模块", module.error());
    MainWindow window(login.loggedIn(), login.service(), module);
    window.show();
    return app.exec();
}
