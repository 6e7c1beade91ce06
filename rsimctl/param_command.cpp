// rsimctl param set: one system parameter's value set over the wire. The service allows it to
// holders of the vendor libraries' modify right (who read the secret ones), seals a secret value
// and audits the change. A secret value never goes on the command line.
#include "commands.h"

#include "secret_input.h"

#include "SysMgntService_tvd_c.h"

using MSysmgntDef::SPublicParam;
using MSysmgntDef::SPublicParamList;

namespace {

constexpr const char* kValueSources =
    "环境变量 RSIM_PARAM_VALUE、--value-file FILE，或不给 VALUE 而在终端上输入";

// Whether the parameter is secret; nothing, after saying why, when it does not exist or the
// service cannot be asked.
std::optional<bool> isSecret(MSysSvcApp::ISysMgnt& service, const SPublicParam& wanted)
{
    SPublicParam criteria;
    criteria.set_PARAM_CODE(wanted.PARAM_CODE);
    SPublicParamList found;
    CBSErrorMsg error;
    if (service.qry_sysParam(criteria, found, error, nullptr) != 0) {
        Refused("查询系统参数失败", error);
        return std::nullopt;
    }
    for (const auto& p : found)
        if (p.REGION_CODE == wanted.REGION_CODE && p.COUNTY_CODE == wanted.COUNTY_CODE)
            return p.PARAM_SECRET != 0;
    Complain(QString("没有这个系统参数：%1（分公司 %2，县公司 %3）")
                 .arg(QString::fromStdString(wanted.PARAM_CODE))
                 .arg(wanted.REGION_CODE)
                 .arg(wanted.COUNTY_CODE));
    return std::nullopt;
}

// The parameter named by the options, without its value; nothing after a usage error.
std::optional<SPublicParam> named(const QCommandLineParser& parser)
{
    SPublicParam p;
    p.set_PARAM_CODE(parser.positionalArguments().front().toStdString());
    for (const auto& [option, set] : {std::pair{"region", &SPublicParam::set_REGION_CODE},
                                      std::pair{"county", &SPublicParam::set_COUNTY_CODE}}) {
        const auto value =
            parser.isSet(option) ? IntegerOption(parser, option, 0, INT16_MAX) : qint64{0};
        if (!value)
            return std::nullopt;
        (p.*set)(static_cast<std::int16_t>(*value));
    }
    return p;
}

int set(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "设置一个已有系统参数的值（需要维护SIM卡商组件的权限，每次设置都记入审计）。\n"
        "保密的参数（如 GuiWriteCardFTP，含FTP密码）加密存储，其值不能写在命令行上：取环境变量 "
        "RSIM_PARAM_VALUE 或 --value-file 的首行，都没有时在终端上询问（不回显）。");
    parser.addPositionalArgument("CODE", "参数代码");
    parser.addPositionalArgument("VALUE", "参数值（仅限不保密的参数）", "[VALUE]");
    parser.addOptions({{"value-file", "参数值所在的文件（取首行）", "FILE"},
                       {"region", "分公司代码（默认 0）", "N"},
                       {"county", "县公司代码（默认 0）", "N"}});
    parser.parse(arguments);
    const int positionals = parser.positionalArguments().size() > 1 ? 2 : 1;
    if (auto status = ParseCommand(parser, arguments, positionals))
        return *status;
    auto p = named(parser);
    if (!p)
        return kExitUsage;
    MSysSvcApp::ISysMgnt service;
    MSysmgntDef::SOperator op;
    if (auto failed = Connect(connection, service, op))
        return *failed;
    QString problem;
    std::optional<QString> value = parser.positionalArguments().value(1);
    if (positionals == 1)
        value =
            ReadSecret(parser.value("value-file"), "RSIM_PARAM_VALUE", true, "参数值：", problem);
    else if (const auto secret = isSecret(service, *p); !secret || *secret) {
        if (secret)
            Complain("系统参数 " + parser.positionalArguments().front() +
                     " 是保密的，其值不能写在命令行上（本机所有用户都能在进程列表中看到）：请用" +
                     kValueSources);
        return secret ? kExitUsage : kExitRefused;
    }
    if (!value || value->isEmpty()) {
        Complain(value ? QString("需要参数值：") + kValueSources : problem);
        return kExitRefused;
    }
    p->set_PARAM_VALUE(value->toStdString());
    MSysmgntDef::SOperatorBrief acting;
    acting.set_OP_ID(op.OP_ID);
    acting.set_ORG_ID(op.ORG_ID);
    SPublicParamList values;
    values.push_back(*p);
    CBSErrorMsg error;
    if (service.mod_sysParam(acting, values, error, nullptr) != 0)
        return Refused("服务拒绝了对系统参数 " + parser.positionalArguments().front() + " 的设置",
                       error);
    Print("已设置系统参数 " + parser.positionalArguments().front() + "。\n");
    return kExitDone;
}

} // namespace

int RunParam(const Connection& connection, const QStringList& arguments)
{
    const QStringList given = arguments.mid(1);
    if (!given.isEmpty() && given.front() == "set")
        return set(connection, QStringList{arguments.front() + " set"} + given.mid(1));
    QCommandLineParser parser;
    parser.setApplicationDescription("系统参数。\n  rsimctl param set CODE [VALUE] [--value-file "
                                     "FILE] [--region N] [--county N]\n"
                                     "rsimctl param set --help 显示用法。");
    parser.addPositionalArgument("SUBCOMMAND", "set");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    if (!given.isEmpty() && !given.front().startsWith('-')) {
        Complain("没有这个子命令：" + given.front() + "（rsimctl param --help 显示用法）");
        return kExitUsage;
    }
    return ParseCommand(parser, arguments, 1).value_or(kExitUsage);
}
