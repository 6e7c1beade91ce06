#include "roles.h"

#include "ResRemoteSimTables.h"
#include "SysMgntService_operations.h"

#include <algorithm>

namespace rsim::sysmgnt {
namespace {

using namespace rsimcatalog;

// The read right of every table.
std::vector<int> queryRights()
{
    std::vector<int> rights;
    for (const auto& table : kTables)
        if (table.rights.read != 0)
            rights.push_back(table.rights.read);
    return rights;
}

// The vendor libraries and their error texts share one set of rights, which "maintain" lacks: a
// library runs on every card writer, and its right reads the password of the FTP server.
std::vector<int> maintainRights()
{
    std::vector<int> rights = queryRights();
    constexpr RightIds vendorLibraries = TableOf<SResRemoteCardVendorDll>().rights;
    for (const auto& table : kTables)
        if (table.rights.add != 0 && table.rights.add != vendorLibraries.add)
            rights.insert(rights.end(),
                          {table.rights.add, table.rights.modify, table.rights.remove});
    return rights;
}

std::vector<int> adminRights()
{
    std::vector<int> rights = rsimcatalog::RightsAsked();
    rights.push_back(MSysSvcDef::kAdministerOperators);
    return rights;
}

std::vector<int> sortedUnique(std::vector<int> rights)
{
    std::sort(rights.begin(), rights.end());
    rights.erase(std::unique(rights.begin(), rights.end()), rights.end());
    return rights;
}

} // namespace

std::vector<int> roleRights(std::string_view role)
{
    if (role == "query")
        return sortedUnique(queryRights());
    if (role == "maintain")
        return sortedUnique(maintainRights());
    if (role == "admin")
        return sortedUnique(adminRights());
    return {};
}

std::string roleOf(db::Driver& db, std::int32_t opId)
{
    std::vector<int> held;
    db.query("SELECT ENT_ID FROM sys_oper_right WHERE OP_ID = ? AND PRIV_ID = ? ORDER BY ENT_ID",
             {std::int64_t{opId}, std::int64_t{kPrivilege}},
             [&](const db::Row& row) { held.push_back(static_cast<int>(db::asInt(row[0]))); });
    for (std::string_view role : kRoleNames)
        if (roleRights(role) == held)
            return std::string(role);
    return {};
}

void grantRole(db::Driver& db, std::int32_t opId, std::string_view role)
{
    db.exec("DELETE FROM sys_oper_right WHERE OP_ID = ?", {std::int64_t{opId}});
    std::vector<db::Row> rows;
    for (int entity : roleRights(role))
        rows.push_back({std::int64_t{opId}, std::int64_t{entity}, std::int64_t{kPrivilege}});
    db.insertMany("sys_oper_right", {"OP_ID", "ENT_ID", "PRIV_ID"}, rows);
}

} // namespace rsim::sysmgnt
