#include "cli.h"

#include "secret_input.h"
#include "service_login.h"

#include <QCoreApplication>

#include <unistd.h>
#include <cstdio>

void Complain(const QString& text)
{
    std::fprintf(stderr, "rsimctl: %s\n", text.toUtf8().constData());
}

void Print(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stdout);
}

QString HelpText(const QCommandLineParser& parser, const QString& name)
{
    QString help = parser.helpText();
    const qsizetype usageEnd = help.indexOf(u'\n');
    help.replace(0, usageEnd,
                 help.left(usageEnd).replace(QCoreApplication::arguments().constFirst(), name));
    return help;
}

std::optional<int> ParseCommand(QCommandLineParser& parser, const QStringList& arguments,
                                int positionals)
{
    const QCommandLineOption help({"h", "help"}, "显示此命令的帮助。");
    parser.addOption(help);
    const bool parsed = parser.parse(arguments);
    if (parsed && parser.isSet(help)) {
        Print(HelpText(parser, arguments.value(0)));
        return kExitDone;
    }
    QString problem = parser.errorText();
    if (parsed && parser.positionalArguments().size() != positionals)
        problem = parser.positionalArguments().size() < positionals
                      ? "缺少参数"
                      : "多余的参数：" + parser.positionalArguments().mid(positionals).join(' ');
    if (!parsed || !problem.isEmpty()) {
        Complain(problem + "（" + arguments.value(0) + " --help 显示用法）");
        return kExitUsage;
    }
    return std::nullopt;
}

std::optional<qint64> IntegerOption(const QCommandLineParser& parser, const QString& name,
                                    qint64 min, qint64 max)
{
    bool ok = false;
    const qint64 value = parser.value(name).toLongLong(&ok);
    if (ok && value >= min && value <= max)
        return value;
    Complain(QString("--%1 应为 %2 到 %3 之间的整数：%4")
                 .arg(name)
                 .arg(min)
                 .arg(max)
                 .arg(parser.value(name)));
    return std::nullopt;
}

std::optional<int> LogIn(const Connection& connection, MSysmgntDef::SOperator& op)
{
    if (connection.login.isEmpty()) {
        Complain("需要登录名：--login NAME 或环境变量 RSIM_LOGIN");
        return kExitUsage;
    }
    if (const std::string warning = PlainHttpWarning(connection.service.toStdString());
        !warning.empty())
        Complain(QString::fromStdString(warning));
    QString password = qEnvironmentVariable("RSIM_PASSWORD");
    if (password.isEmpty() && !qEnvironmentVariableIsSet("RSIM_PASSWORD"))
        password = AskSecret("密码：");
    const std::string problem =
        LogInAtService(connection.service.toStdString(), connection.login.toStdString(),
                       password.toStdString(), op);
    if (problem.empty())
        return std::nullopt;
    Complain("登录失败：" + QString::fromStdString(problem));
    return kExitRefused;
}

std::optional<QString> NewPassword()
{
    if (qEnvironmentVariableIsSet("RSIM_NEW_PASSWORD"))
        return qEnvironmentVariable("RSIM_NEW_PASSWORD");
    const QString password = AskSecret("新密码：");
    if (password.isEmpty()) {
        Complain("需要新密码：环境变量 RSIM_NEW_PASSWORD，或在终端上输入");
        return std::nullopt;
    }
    if (AskSecret("再次输入新密码：") != password) {
        Complain("两次输入的新密码不一致");
        return std::nullopt;
    }
    return password;
}

std::optional<int> Connect(const Connection& connection, CTvdClientObject& client,
                           MSysmgntDef::SOperator& op)
{
    if (auto failed = LogIn(connection, op))
        return failed;
    if (client.bind_tavBroker("TAVORINE") == 0)
        return std::nullopt;
    Complain("无法连接远程写卡管理服务 " + connection.service);
    return kExitRefused;
}

int Refused(const QString& what, const CBSErrorMsg& error)
{
    QString text = what + "：" + QString::fromStdString(error.message);
    if (!error.hint.empty())
        text += "（" + QString::fromStdString(error.hint) + "）";
    Complain(text);
    return kExitRefused;
}

ProgressLine::ProgressLine() : terminal_(isatty(STDERR_FILENO) == 1)
{}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::show(const QString& text)
{
    if (!terminal_)
        return;
    std::fprintf(stderr, "\r\033[K%s", text.toUtf8().constData());
    std::fflush(stderr);
    shown_ = true;
}

void ProgressLine::clear()
{
    if (shown_)
        std::fprintf(stderr, "\r\033[K");
    shown_ = false;
}
