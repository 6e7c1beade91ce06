// rsimctl operator: the service's operators administered over the wire — list, add, passwd, lock,
// unlock, role. The service allows them to holders of the administration right and audits them.
#include "commands.h"

#include "table_text.h"

#include "SysMgntService_tvd_c.h"

#include <functional>
#include <map>

using MSysSvcApp::ISysMgnt;
using MSysSvcDef::SOperatorAccount;
using MSysSvcDef::SOperatorAccountList;

namespace {

const QStringList kRoles = {"query", "maintain", "admin"};

using Write = int (ISysMgnt::*)(const MSysmgntDef::SOperatorBrief&, const SOperatorAccountList&,
                                CBSErrorMsg&, STVSession*);

// Logs in, sends one change of one account and says what was done.
int change(const Connection& connection, Write write, const SOperatorAccount& account,
           const QString& done)
{
    ISysMgnt service;
    MSysmgntDef::SOperator op;
    if (auto failed = Connect(connection, service, op))
        return *failed;
    MSysmgntDef::SOperatorBrief acting;
    acting.set_OP_ID(op.OP_ID);
    acting.set_ORG_ID(op.ORG_ID);
    SOperatorAccountList accounts;
    accounts.push_back(account);
    CBSErrorMsg error;
    if ((service.*write)(acting, accounts, error, nullptr) != 0)
        return Refused(
            "服务拒绝了对操作员 " + QString::fromStdString(account.LOGIN_NAME) + " 的修改", error);
    Print(done + "\n");
    return kExitDone;
}

SOperatorAccount named(const QString& login)
{
    SOperatorAccount account;
    account.set_LOGIN_NAME(login.toStdString());
    return account;
}

// The role, or nothing after a usage error.
std::optional<QString> role(const QString& name)
{
    if (kRoles.contains(name))
        return name;
    Complain("没有这个角色：" + name + "；可选：" + kRoles.join("、"));
    return std::nullopt;
}

int list(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("列出全部操作员（每行一个，首行为字段名）。");
    parser.addOption({"csv", "以CSV格式输出（默认以制表符分隔）"});
    if (auto status = ParseCommand(parser, arguments, 0))
        return *status;
    ISysMgnt service;
    if (MSysmgntDef::SOperator op; auto failed = Connect(connection, service, op))
        return *failed;
    SOperatorAccountList accounts;
    CBSErrorMsg error;
    if (service.qry_operatorAccount(SOperatorAccount(), accounts, error, nullptr) != 0)
        return Refused("查询操作员失败", error);
    Print(TableText(accounts, parser.isSet("csv"), {"NEW_PASSWORD"}));
    return kExitDone;
}

int add(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "新增操作员。密码取环境变量 RSIM_NEW_PASSWORD，没有时在终端上询问两次（不回显）。\n"
        "角色：query（全部查询，不能修改）、maintain（维护参考表和卡库存）、admin（全部，含管理操作"
        "员）。");
    parser.addPositionalArgument("LOGIN", "登录名");
    parser.addOptions({{"name", "姓名（必填）", "NAME"},
                       {"role", "角色：query、maintain 或 admin（必填）", "ROLE"},
                       {"region", "分公司代码（默认为管理员的）", "N"},
                       {"county", "县公司代码（默认为管理员的）", "N"},
                       {"org", "营业厅代码（默认为管理员的）", "N"}});
    if (auto status = ParseCommand(parser, arguments, 1))
        return *status;
    if (parser.value("name").trimmed().isEmpty() || !parser.isSet("role")) {
        Complain("需要 --name 和 --role（rsimctl operator add --help 显示用法）");
        return kExitUsage;
    }
    SOperatorAccount account = named(parser.positionalArguments().front());
    account.set_OP_NAME(parser.value("name").toStdString());
    const auto chosen = role(parser.value("role"));
    if (!chosen)
        return kExitUsage;
    account.set_ROLE(chosen->toStdString());
    const std::pair<const char*, void (SOperatorAccount::*)(const std::int32_t&)> places[] = {
        {"region", &SOperatorAccount::set_REGION_CODE},
        {"county", &SOperatorAccount::set_COUNTY_CODE},
        {"org", &SOperatorAccount::set_ORG_ID}};
    for (const auto& [option, set] : places)
        if (parser.isSet(option)) {
            const auto value = IntegerOption(parser, option, 0, INT32_MAX);
            if (!value)
                return kExitUsage;
            (account.*set)(static_cast<std::int32_t>(*value));
        }
    const auto password = NewPassword();
    if (!password)
        return kExitRefused;
    account.set_NEW_PASSWORD(password->toStdString());
    return change(connection, &ISysMgnt::add_operatorAccount, account,
                  "已新增操作员 " + parser.positionalArguments().front() + "。");
}

int passwd(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "设置操作员的密码，并结束其全部会话。新密码取环境变量 RSIM_NEW_PASSWORD，"
        "没有时在终端上询问两次（不回显）。");
    parser.addPositionalArgument("LOGIN", "登录名");
    if (auto status = ParseCommand(parser, arguments, 1))
        return *status;
    const QString login = parser.positionalArguments().front();
    const auto password = NewPassword();
    if (!password)
        return kExitRefused;
    SOperatorAccount account = named(login);
    account.set_NEW_PASSWORD(password->toStdString());
    return change(connection, &ISysMgnt::mod_operatorPassword, account,
                  "已设置操作员 " + login + " 的密码。");
}

// lock and unlock.
int setLock(const Connection& connection, const QStringList& arguments, bool locked)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(locked ? "锁定操作员：不能再登录，其会话全部结束。"
                                            : "解锁操作员，并清除该登录名的登录失败计数。");
    parser.addPositionalArgument("LOGIN", "登录名");
    if (auto status = ParseCommand(parser, arguments, 1))
        return *status;
    const QString login = parser.positionalArguments().front();
    SOperatorAccount account = named(login);
    account.set_LOCK_STATUS(locked ? 1 : 0);
    return change(connection, &ISysMgnt::mod_operatorLock, account,
                  (locked ? "已锁定操作员 " : "已解锁操作员 ") + login + "。");
}

int setRole(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription("改变操作员的角色：query、maintain 或 admin。");
    parser.addPositionalArgument("LOGIN", "登录名");
    parser.addPositionalArgument("ROLE", "query、maintain 或 admin");
    if (auto status = ParseCommand(parser, arguments, 2))
        return *status;
    const QString login = parser.positionalArguments().front();
    const auto chosen = role(parser.positionalArguments().back());
    if (!chosen)
        return kExitUsage;
    SOperatorAccount account = named(login);
    account.set_ROLE(chosen->toStdString());
    return change(connection, &ISysMgnt::mod_operatorRole, account,
                  "操作员 " + login + " 的角色已改为 " + *chosen + "。");
}

using Subcommand = std::function<int(const Connection&, const QStringList&)>;

const std::map<QString, Subcommand>& subcommands()
{
    static const std::map<QString, Subcommand> all = {
        {"list", list},
        {"add", add},
        {"passwd", passwd},
        {"lock", [](const auto& c, const auto& a) { return setLock(c, a, true); }},
        {"unlock", [](const auto& c, const auto& a) { return setLock(c, a, false); }},
        {"role", setRole}};
    return all;
}

} // namespace

int RunOperator(const Connection& connection, const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "管理服务的操作员（需要管理操作员的权限，每次修改都记入审计）。\n"
        "  rsimctl operator list [--csv]\n"
        "  rsimctl operator add LOGIN --name NAME --role ROLE [--region N] [--county N] [--org N]\n"
        "  rsimctl operator passwd LOGIN\n"
        "  rsimctl operator lock LOGIN | unlock LOGIN\n"
        "  rsimctl operator role LOGIN ROLE\n"
        "角色：query（全部查询）、maintain（维护参考表和卡库存）、admin（全部，含管理操作员）。\n"
        "新密码至少10个字符，不能是登录名。rsimctl operator SUBCOMMAND --help "
        "显示各子命令的用法。");
    parser.addPositionalArgument("SUBCOMMAND", "list、add、passwd、lock、unlock 或 role");
    parser.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    const QStringList given = arguments.mid(1);
    const bool named = !given.isEmpty() && !given.front().startsWith('-');
    if (!named)
        return ParseCommand(parser, arguments, 1).value_or(kExitUsage);
    const auto subcommand = subcommands().find(given.front());
    if (subcommand == subcommands().end()) {
        Complain("没有这个子命令：" + given.front() + "（rsimctl operator --help 显示用法）");
        return kExitUsage;
    }
    return subcommand->second(connection,
                              QStringList{arguments.front() + " " + given.front()} + given.mid(1));
}
