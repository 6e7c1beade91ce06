#include "sysmgnt.h"

#include "accounts.h"
#include "params.h"

#include "ResRemoteSimTables.h"
#include "SysMgntService_operations.h"

namespace rsim::sysmgnt {
namespace {

using db::Row;
using db::Value;

constexpr const char* kInterface = MSysSvcApp::ISysMgntOperations::kInterfaceName;

template <class List>
auto& append(CTvdBasicObject& list)
{
    return *static_cast<typename List::value_type*>(static_cast<List&>(list).append());
}

// Code lists answered from real tables.
std::string categoryQuery(int category)
{
    using namespace rsimcatalog;
    switch (category) {
    case Regions: return "SELECT REGION_CODE, REGION_NAME FROM sys_region ORDER BY REGION_CODE";
    case Counties: return "SELECT COUNTY_CODE, COUNTY_NAME FROM sys_county ORDER BY COUNTY_CODE";
    case BusinessHalls: return "SELECT ORG_ID, ORG_NAME FROM sys_org ORDER BY ORG_ID";
    case Operators: return "SELECT OP_ID, OP_NAME FROM sys_operator ORDER BY OP_ID";
    default: return {};
    }
}

// The rights of the session's operator, whatever operator the brief names: rights are not
// anyone's to look up for another.
int checkRight(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
               CBSErrorMsg&)
{
    const auto& asked = static_cast<MSysmgntDef::SOperPrivAuthList&>(*in.object(1));
    for (const auto& entry : asked) {
        auto& granted = append<MSysmgntDef::SOperPrivAuthList>(*out.object(0));
        granted.set_ENT_ID(entry.ENT_ID);
        granted.set_PRIV_ID(entry.PRIV_ID);
        granted.set_AUTHORIZED(
            holdsRight(context.db, context.opId, entry.ENT_ID, entry.PRIV_ID) ? 1 : 0);
    }
    return 0;
}

int baseType(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
             CBSErrorMsg&)
{
    const int category = static_cast<MSysSvcDef::SCodeCategory&>(*in.object(0)).CATEGORY;
    std::string sql = categoryQuery(category);
    Row params;
    if (sql.empty()) {
        sql = "SELECT CODE, NAME FROM sys_code WHERE CATEGORY = ? ORDER BY SORT_ORDER, CODE";
        params.emplace_back(std::int64_t{category});
    }
    context.db.query(sql, params, [&](const Row& row) {
        auto& entry = append<MSysSvcDef::SCodeNameList>(*out.object(0));
        entry.set_CODE(db::asInt(row[0]));
        entry.set_NAME(db::asText(row[1]));
    });
    return 0;
}

int counties(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
             CBSErrorMsg&)
{
    const auto& criteria = static_cast<MSysmgntDef::SCounty&>(*in.object(0));
    context.db.query("SELECT COUNTY_CODE, COUNTY_NAME, REGION_CODE, SEQ_NO FROM sys_county WHERE "
                     "REGION_CODE = ? "
                     "ORDER BY SEQ_NO, COUNTY_CODE",
                     {std::int64_t{criteria.REGION_CODE}}, [&](const Row& row) {
                         auto& c = append<MSysmgntDef::SCountyList>(*out.object(0));
                         c.set_COUNTY_CODE(static_cast<std::int16_t>(db::asInt(row[0])));
                         c.set_COUNTY_NAME(db::asText(row[1]));
                         c.set_REGION_CODE(static_cast<std::int32_t>(db::asInt(row[2])));
                         c.set_SEQ_NO(static_cast<std::int32_t>(db::asInt(row[3])));
                     });
    return 0;
}

int orgs(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out, CBSErrorMsg&)
{
    const auto& criteria = static_cast<MSysmgntDef::SOrgBriefProfile&>(*in.object(0));
    std::string sql =
        "SELECT ORG_ID, ORG_NAME, COUNTY_CODE, REGION_CODE, STS FROM sys_org WHERE REGION_CODE = ?";
    Row params{std::int64_t{criteria.REGION_CODE}};
    if (criteria.COUNTY_CODE > 0) {
        sql += " AND COUNTY_CODE = ?";
        params.emplace_back(std::int64_t{criteria.COUNTY_CODE});
    }
    context.db.query(sql + " ORDER BY ORG_ID", params, [&](const Row& row) {
        auto& o = append<MSysmgntDef::SOrgBriefProfileList>(*out.object(0));
        o.set_ORG_ID(static_cast<std::int32_t>(db::asInt(row[0])));
        o.set_ORG_NAME(db::asText(row[1]));
        o.set_COUNTY_CODE(static_cast<std::int32_t>(db::asInt(row[2])));
        o.set_REGION_CODE(static_cast<std::int32_t>(db::asInt(row[3])));
        o.set_STS(static_cast<std::int16_t>(db::asInt(row[4])));
    });
    return 0;
}

int currentDate(CallContext&, CTvdBasicParamObject&, CTvdBasicParamObject& out, CBSErrorMsg&)
{
    append<MSysSvcDef::SServerDateList>(*out.object(0)).set_NOW(CBSDateTime::currentDateTime());
    return 0;
}

constexpr const char* kOperatorColumns =
    "OP_ID, OP_NAME, LOGIN_NAME, ORG_ID, COUNTY_CODE, REGION_CODE, OP_STATUS, LOCK_STATUS, PHONE, "
    "CREATE_DATE, PASSWORD_HASH";

MSysmgntDef::SOperator operatorOf(const Row& row)
{
    MSysmgntDef::SOperator op;
    op.set_OP_ID(static_cast<std::int32_t>(db::asInt(row[0])));
    op.set_OP_NAME(db::asText(row[1]));
    op.set_LOGIN_NAME(db::asText(row[2]));
    op.set_ORG_ID(static_cast<std::int32_t>(db::asInt(row[3])));
    op.set_COUNTY_CODE(static_cast<std::int32_t>(db::asInt(row[4])));
    op.set_REGION_CODE(static_cast<std::int32_t>(db::asInt(row[5])));
    op.set_OP_STATUS(static_cast<std::int16_t>(db::asInt(row[6])));
    op.set_LOCK_STATUS(static_cast<std::int16_t>(db::asInt(row[7])));
    op.set_PHONE(db::asText(row[8]));
    CBSDateTime created;
    if (CBSDateTime::fromWire(db::asText(row[9]), created))
        op.set_CREATE_DATE(created);
    return op;
}

// An operator's own record; another's only to an administrator.
int operatorProfile(CallContext& context, CTvdBasicParamObject& in, CTvdBasicParamObject& out,
                    CBSErrorMsg& error)
{
    const auto& criteria = static_cast<MSysmgntDef::SOperatorBrief&>(*in.object(0));
    if (criteria.OP_ID != context.opId &&
        !context.holdsModifyRight(MSysSvcDef::kAdministerOperators)) {
        error.set(1, kRefusedRight, "只能查询本人的操作员信息",
                  "操作员编号 " + std::to_string(criteria.OP_ID));
        return 1;
    }
    context.db.query(
        std::string("SELECT ") + kOperatorColumns + " FROM sys_operator WHERE OP_ID = ?",
        {std::int64_t{criteria.OP_ID}}, [&](const Row& row) {
            static_cast<MSysmgntDef::SOperatorList&>(*out.object(0)).push_back(operatorOf(row));
        });
    return 0;
}

} // namespace

void registerHandlers(HandlerTable& handlers)
{
    handlers.add(kInterface, "SYSMQ01", HandlerEntry::query(checkRight));
    handlers.add(kInterface, "SYSMQ02", sysParamQuery());
    handlers.add(kInterface, "SYSMQ03", HandlerEntry::query(baseType));
    handlers.add(kInterface, "SYSMQ04", HandlerEntry::query(counties));
    handlers.add(kInterface, "SYSMQ05", HandlerEntry::query(orgs));
    handlers.add(kInterface, "SYSMQ06", HandlerEntry::query(currentDate));
    handlers.add(kInterface, "SYSMQ07",
                 HandlerEntry::query(operatorProfile, 0, MSysSvcDef::kAdministerOperators));
    handlers.add(kInterface, "SYSMQ13", sysParamWrite());
    registerAccountHandlers(handlers);
}

std::optional<OperatorLogin> findOperator(db::Driver& db, const std::string& loginName)
{
    std::optional<OperatorLogin> found;
    db.query(std::string("SELECT ") + kOperatorColumns + " FROM sys_operator WHERE LOGIN_NAME = ?",
             {loginName}, [&](const Row& row) {
                 found = OperatorLogin{operatorOf(row), db::asText(row[10])};
             });
    return found;
}

bool holdsRight(db::Driver& db, std::int32_t opId, std::int32_t entity, std::int32_t privilege)
{
    return !std::holds_alternative<std::monostate>(
        db.scalar("SELECT 1 FROM sys_oper_right WHERE OP_ID = ? AND ENT_ID = ? AND PRIV_ID = ?",
                  {std::int64_t{opId}, std::int64_t{entity}, std::int64_t{privilege}}));
}

} // namespace rsim::sysmgnt
