#include "accounts.h"

#include "login_guard.h"
#include "roles.h"
#include "secrets.h"
#include "sysmgnt.h"

#include "ResRemoteSimTables.h"
#include "SysMgntService_operations.h"

#include <algorithm>

namespace rsim::sysmgnt {
namespace {

using MSysSvcDef::SOperatorAccount;
using MSysSvcDef::SOperatorAccountList;

constexpr std::size_t kMaxLoginName = 32;
constexpr std::size_t kMinPasswordCharacters = 10;
constexpr std::size_t kMaxPasswordBytes = 128;
constexpr std::size_t kMaxOperatorName = 120;

std::size_t utf8Characters(std::string_view text)
{
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

int refuse(CBSErrorMsg& error, int minor, const std::string& message, const std::string& login)
{
    error.set(1, minor, message, "登录名 " + login);
    return 1;
}

// The unlocked operators that hold the administration right, other than one. Their rows are
// touched first so that two administrators who lock or demote each other at the same moment
// are taken one after the other, and the second sees the first's change.
std::int64_t otherAdministrators(db::Driver& db, std::int32_t opId)
{
    const std::string administrators = "SELECT OP_ID FROM sys_oper_right WHERE ENT_ID = " +
                                       std::to_string(MSysSvcDef::kAdministerOperators) +
                                       " AND PRIV_ID = " + std::to_string(rsimcatalog::kPrivilege);
    db.exec("UPDATE sys_operator SET LOCK_STATUS = LOCK_STATUS WHERE OP_ID IN (" + administrators +
            ")");
    return db::asInt(db.scalar("SELECT COUNT(*) FROM sys_operator WHERE LOCK_STATUS = 0 AND "
                               "OP_ID <> ? AND OP_ID IN (" +
                                   administrators + ")",
                               {std::int64_t{opId}}));
}

struct Target {
    std::int32_t opId = 0;
    bool unlocked = false;
    bool administrator = false;
};

// The operator an account record names, or a refusal.
std::optional<Target> target(CallContext& context, const SOperatorAccount& account,
                             CBSErrorMsg& error)
{
    const auto found = findOperator(context.db, account.LOGIN_NAME);
    if (!found) {
        refuse(error, kRefusedNotFound, "操作员不存在", account.LOGIN_NAME);
        return std::nullopt;
    }
    const std::int32_t opId = found->profile.OP_ID;
    return Target{
        opId, found->profile.LOCK_STATUS == 0,
        holdsRight(context.db, opId, MSysSvcDef::kAdministerOperators, rsimcatalog::kPrivilege)};
}

// Refuses a change that would leave no unlocked administrator.
bool keepsAnAdministrator(CallContext& context, const Target& target, const std::string& login,
                          CBSErrorMsg& error)
{
    if (!target.unlocked || !target.administrator ||
        otherAdministrators(context.db, target.opId) > 0)
        return true;
    refuse(error, kRefusedInvalid, "不能锁定或降级最后一个未锁定的管理员", login);
    return false;
}

bool acceptable(const std::string& problem, const std::string& login, CBSErrorMsg& error)
{
    if (problem.empty())
        return true;
    refuse(error, kRefusedInvalid, problem, login);
    return false;
}

bool knownRole(const std::string& role, const std::string& login, CBSErrorMsg& error)
{
    return acceptable(roleRights(role).empty() ? "角色须为 query、maintain 或 admin" : "", login,
                      error);
}

// A place of the new operator: the one asked for, or the administrator's own.
std::int32_t placeOr(const SOperatorAccount& account, int member, std::int32_t asked,
                     std::int32_t own)
{
    return account.isSet(member) ? asked : own;
}

int addAccount(CallContext& context, const SOperatorAccount& account, CBSErrorMsg& error)
{
    const std::string& login = account.LOGIN_NAME;
    if (!acceptable(loginNameProblem(login), login, error) ||
        !knownRole(account.ROLE, login, error))
        return 1;
    if (account.OP_NAME.empty() || account.OP_NAME.size() > kMaxOperatorName)
        return refuse(error, kRefusedInvalid, "请输入操作员姓名（至多40个汉字）", login);
    if (!acceptable(passwordProblem(login, account.NEW_PASSWORD), login, error))
        return 1;
    if (findOperator(context.db, login))
        return refuse(error, kRefusedDuplicate, "登录名已存在", login);
    if ((account.isSet(SOperatorAccount::idx_REGION_CODE) && account.REGION_CODE < 0) ||
        (account.isSet(SOperatorAccount::idx_COUNTY_CODE) && account.COUNTY_CODE < 0) ||
        (account.isSet(SOperatorAccount::idx_ORG_ID) && account.ORG_ID < 0))
        return refuse(error, kRefusedInvalid, "地市、县区和营业厅编号不能为负数", login);
    NewOperator op{login, account.OP_NAME, account.ROLE, account.NEW_PASSWORD};
    context.db.query("SELECT REGION_CODE, COUNTY_CODE, ORG_ID FROM sys_operator WHERE OP_ID = ?",
                     {std::int64_t{context.opId}}, [&](const db::Row& row) {
                         op.region = static_cast<std::int32_t>(db::asInt(row[0]));
                         op.county = static_cast<std::int32_t>(db::asInt(row[1]));
                         op.org = static_cast<std::int32_t>(db::asInt(row[2]));
                     });
    op.region = placeOr(account, SOperatorAccount::idx_REGION_CODE, account.REGION_CODE, op.region);
    op.county = placeOr(account, SOperatorAccount::idx_COUNTY_CODE, account.COUNTY_CODE, op.county);
    op.org = placeOr(account, SOperatorAccount::idx_ORG_ID, account.ORG_ID, op.org);
    addOperator(context.db, op);
    context.auditKeys.push_back("sys_operator LOGIN_NAME=" + login + " ROLE=" + account.ROLE);
    return 0;
}

void endSessions(db::Driver& db, std::int32_t opId)
{
    db.exec("DELETE FROM sys_session WHERE OP_ID = ?", {std::int64_t{opId}});
}

int setPassword(CallContext& context, const SOperatorAccount& account, CBSErrorMsg& error)
{
    const std::string& login = account.LOGIN_NAME;
    const auto op = target(context, account, error);
    if (!op || !acceptable(passwordProblem(login, account.NEW_PASSWORD), login, error))
        return 1;
    context.db.exec("UPDATE sys_operator SET PASSWORD_HASH = ? WHERE OP_ID = ?",
                    {secrets::hashPassword(account.NEW_PASSWORD), std::int64_t{op->opId}});
    endSessions(context.db, op->opId);
    context.auditKeys.push_back("sys_operator LOGIN_NAME=" + login + " PASSWORD");
    return 0;
}

int setLock(CallContext& context, const SOperatorAccount& account, CBSErrorMsg& error)
{
    const std::string& login = account.LOGIN_NAME;
    if (!account.isSet(SOperatorAccount::idx_LOCK_STATUS) ||
        (account.LOCK_STATUS != 0 && account.LOCK_STATUS != 1))
        return refuse(error, kRefusedInvalid, "锁定状态须为 1（锁定）或 0（解锁）", login);
    const auto op = target(context, account, error);
    if (!op)
        return 1;
    const bool lock = account.LOCK_STATUS == 1;
    if (lock && !keepsAnAdministrator(context, *op, login, error))
        return 1;
    context.db.exec("UPDATE sys_operator SET LOCK_STATUS = ? WHERE OP_ID = ?",
                    {std::int64_t{account.LOCK_STATUS}, std::int64_t{op->opId}});
    if (lock)
        endSessions(context.db, op->opId);
    else
        clearFailedLogins(context.db, login);
    context.auditKeys.push_back("sys_operator LOGIN_NAME=" + login +
                                " LOCK_STATUS=" + std::to_string(account.LOCK_STATUS));
    return 0;
}

int setRole(CallContext& context, const SOperatorAccount& account, CBSErrorMsg& error)
{
    const std::string& login = account.LOGIN_NAME;
    if (!knownRole(account.ROLE, login, error))
        return 1;
    const auto op = target(context, account, error);
    if (!op || (account.ROLE != "admin" && !keepsAnAdministrator(context, *op, login, error)))
        return 1;
    grantRole(context.db, op->opId, account.ROLE);
    context.auditKeys.push_back("sys_operator LOGIN_NAME=" + login + " ROLE=" + account.ROLE);
    return 0;
}

using AccountChange = int (*)(CallContext&, const SOperatorAccount&, CBSErrorMsg&);

class AccountWriter : public RecordWriter {
public:
    AccountWriter(CallContext& context, AccountChange change) : context_(context), change_(change)
    {}
    int write(const CTvdBasicListObject& records, CBSErrorMsg& error) override
    {
        for (const auto& account : static_cast<const SOperatorAccountList&>(records))
            if (const int result = change_(context_, account, error); result != 0)
                return result;
        return 0;
    }

private:
    CallContext& context_;
    AccountChange change_;
};

HandlerEntry accountWrite(AccountChange change)
{
    return HandlerEntry::write(
        [change](CallContext& context) { return std::make_unique<AccountWriter>(context, change); },
        MSysSvcDef::kAdministerOperators);
}

int listAccounts(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
                 CBSErrorMsg& error)
{
    if (!context.holdsModifyRight(MSysSvcDef::kAdministerOperators)) {
        error.set(1, kRefusedRight, "操作员没有管理操作员的权限",
                  "需要权限实体 " + std::to_string(MSysSvcDef::kAdministerOperators));
        return 1;
    }
    const auto& criteria = static_cast<SOperatorAccount&>(*in.object(0));
    std::string sql = "SELECT OP_ID, LOGIN_NAME, OP_NAME, REGION_CODE, COUNTY_CODE, ORG_ID, "
                      "LOCK_STATUS FROM sys_operator";
    db::Row params;
    if (criteria.isSet(SOperatorAccount::idx_LOGIN_NAME)) {
        sql += " WHERE LOGIN_NAME = ?";
        params.emplace_back(criteria.LOGIN_NAME);
    }
    std::vector<SOperatorAccount> found;
    context.db.query(sql + " ORDER BY OP_ID", params, [&](const db::Row& row) {
        SOperatorAccount& a = found.emplace_back();
        a.set_OP_ID(static_cast<std::int32_t>(db::asInt(row[0])));
        a.set_LOGIN_NAME(db::asText(row[1]));
        a.set_OP_NAME(db::asText(row[2]));
        a.set_REGION_CODE(static_cast<std::int32_t>(db::asInt(row[3])));
        a.set_COUNTY_CODE(static_cast<std::int32_t>(db::asInt(row[4])));
        a.set_ORG_ID(static_cast<std::int32_t>(db::asInt(row[5])));
        a.set_LOCK_STATUS(static_cast<std::int16_t>(db::asInt(row[6])));
    });
    auto& list = static_cast<SOperatorAccountList&>(*out.object(0));
    for (auto& a : found) {
        a.set_ROLE(roleOf(context.db, a.OP_ID));
        list.push_back(a);
    }
    return 0;
}

} // namespace

std::string loginNameProblem(std::string_view login)
{
    const bool wellFormed =
        !login.empty() && login.size() <= kMaxLoginName &&
        std::isalnum(static_cast<unsigned char>(login.front())) &&
        std::all_of(login.begin(), login.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
        });
    return wellFormed ? "" : "登录名须为1到32个字母、数字、点、下划线或连字符，以字母或数字开头";
}

std::string passwordProblem(std::string_view login, std::string_view password)
{
    if (utf8Characters(password) < kMinPasswordCharacters)
        return "密码太弱：至少需要10个字符";
    if (password.size() > kMaxPasswordBytes)
        return "密码太长：至多128个字节";
    if (equalIgnoringAsciiCase(password, login))
        return "密码太弱：不能与登录名相同";
    if (isDemoPassword(password))
        return "密码太弱：不能使用演示数据的密码";
    return {};
}

std::int32_t addOperator(db::Driver& db, const NewOperator& op)
{
    const auto opId = static_cast<std::int32_t>(
        db::asInt(db.scalar("SELECT COALESCE(MAX(OP_ID), 0) + 1 FROM sys_operator")));
    db.exec("INSERT INTO sys_operator (OP_ID, OP_NAME, LOGIN_NAME, ORG_ID, COUNTY_CODE, "
            "REGION_CODE, OP_STATUS, LOCK_STATUS, PHONE, CREATE_DATE, PASSWORD_HASH) "
            "VALUES (?, ?, ?, ?, ?, ?, 1, 0, '', ?, ?)",
            {std::int64_t{opId}, op.name, op.login, std::int64_t{op.org}, std::int64_t{op.county},
             std::int64_t{op.region}, CBSDateTime::currentDateTime().toWire(),
             secrets::hashPassword(op.password)});
    grantRole(db, opId, op.role);
    return opId;
}

bool hasAdministrator(db::Driver& db)
{
    return otherAdministrators(db, 0) > 0;
}

void registerAccountHandlers(HandlerTable& handlers)
{
    const std::string interfaceName = MSysSvcApp::ISysMgntOperations::kInterfaceName;
    handlers.add(interfaceName, "SYSMQ08",
                 HandlerEntry::query(listAccounts, 0, MSysSvcDef::kAdministerOperators));
    handlers.add(interfaceName, "SYSMQ09", accountWrite(addAccount));
    handlers.add(interfaceName, "SYSMQ10", accountWrite(setPassword));
    handlers.add(interfaceName, "SYSMQ11", accountWrite(setLock));
    handlers.add(interfaceName, "SYSMQ12", accountWrite(setRole));
}

} // namespace rsim::sysmgnt
