// rsimctl: the card files and reference tables of the remote-SIM service from the command line,
// over the same wire, card-file reader and service checks as the desktop client.
#include "commands.h"
#include "service_login.h"

#include <QCoreApplication>

#include <map>

namespace {

using Command = int (*)(const Connection&, const QStringList&);

const std::map<QString, Command> kCommands = {{"import", RunImport},
                                              {"sims", RunSims},
                                              {"export", RunExport},
                                              {"operator", RunOperator},
                                              {"param", RunParam}};

QString fromEnvironment(const char* name, const QString& fallback = {})
{
    const QString value = qEnvironmentVariable(name);
    return value.isEmpty() ? fallback : value;
}

void addGlobalOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(
        "远程写卡管理的命令行工具。\n"
        "  rsimctl [--service URL] [--login NAME] import CARDFILE --card-type CODE --vendor CODE "
        "[...]\n"
        "  rsimctl [--service URL] [--login NAME] sims --imsi FIRST[-LAST] [--max N] [--csv]\n"
        "  rsimctl [--service URL] [--login NAME] export TABLE [--csv]\n"
        "  rsimctl [--service URL] [--login NAME] operator list [--csv]\n"
        "  rsimctl ... operator add LOGIN --name NAME --role ROLE [--region N] [--county N] "
        "[--org N]\n"
        "  rsimctl ... operator passwd LOGIN\n"
        "  rsimctl ... operator lock LOGIN | unlock LOGIN\n"
        "  rsimctl ... operator role LOGIN ROLE\n"
        "  rsimctl ... param set CODE [VALUE] [--value-file FILE]\n"
        "密码取环境变量 RSIM_PASSWORD，没有时在终端上询问（不回显）；新密码取 RSIM_NEW_PASSWORD，"
        "没有时询问两次。密码、KI密钥和保密参数的值都不写在命令行上。\n"
        "退出状态：0 完成，1 被拒绝（文件、服务或登录），2 用法错误。\n"
        "rsimctl COMMAND --help 显示各命令的用法。");
    parser.addOptions({
        {"service",
         "服务地址，多个时以逗号分隔，依次尝试（默认取 TAV_BROKER_TAVORINE，否则 "
         "http://127.0.0.1:7411）",
         "URL", fromEnvironment("TAV_BROKER_TAVORINE", "http://127.0.0.1:7411")},
        {"login", "登录名（默认取 RSIM_LOGIN）", "NAME", fromEnvironment("RSIM_LOGIN")},
        {{"h", "help"}, "显示帮助。"},
    });
    parser.addPositionalArgument("COMMAND", "import、sims、export、operator 或 param");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    app.setApplicationName("rsimctl");
    QCommandLineParser parser;
    addGlobalOptions(parser);
    if (!parser.parse(app.arguments())) {
        Complain(parser.errorText() + "（rsimctl --help 显示用法）");
        return kExitUsage;
    }
    const QStringList rest = parser.positionalArguments();
    if (rest.isEmpty()) {
        if (parser.isSet("help")) {
            Print(HelpText(parser, "rsimctl"));
            return kExitDone;
        }
        Complain("缺少命令：import、sims、export、operator 或 param（rsimctl --help 显示用法）");
        return kExitUsage;
    }
    const auto command = kCommands.find(rest.front());
    if (command == kCommands.end()) {
        Complain("没有这个命令：" + rest.front() + "（rsimctl --help 显示用法）");
        return kExitUsage;
    }
    QStringList arguments = rest.mid(1);
    arguments.prepend("rsimctl " + rest.front());
    if (parser.isSet("help"))
        arguments.append("--help");
    const Connection connection{
        QString::fromStdString(NormalisedServiceAddress(parser.value("service").toStdString())),
        parser.value("login")};
    const int status = command->second(connection, arguments);
    if (const std::string problem = LogOutOfService(); !problem.empty())
        Complain("注销会话失败：" + QString::fromStdString(problem));
    return status;
}
