#include "login_guard.h"

#include <algorithm>

namespace rsim::sysmgnt {
namespace {

std::int64_t lockSeconds(std::int64_t failures)
{
    if (failures <= kFailuresBeforeLock)
        return 0;
    const std::int64_t doublings = std::min<std::int64_t>(failures - kFailuresBeforeLock - 1, 5);
    return std::min<std::int64_t>(30LL << doublings, 900);
}

} // namespace

std::int64_t secondsLocked(db::Driver& db, const std::string& loginName, std::time_t now)
{
    std::int64_t left = 0;
    db.query("SELECT FAILURES, LAST_FAILURE FROM sys_login_failure WHERE LOGIN_NAME = ?",
             {loginName}, [&](const db::Row& row) {
                 left = db::asInt(row[1]) + lockSeconds(db::asInt(row[0])) - now;
             });
    return std::max<std::int64_t>(left, 0);
}

std::int64_t recordFailedLogin(db::Driver& db, const std::string& loginName, std::time_t now)
{
    db.exec("INSERT INTO sys_login_failure (LOGIN_NAME, FAILURES, LAST_FAILURE) VALUES (?, 1, ?) "
            "ON CONFLICT (LOGIN_NAME) DO UPDATE SET FAILURES = sys_login_failure.FAILURES + 1, "
            "LAST_FAILURE = excluded.LAST_FAILURE",
            {loginName, std::int64_t{now}});
    return lockSeconds(db::asInt(
        db.scalar("SELECT FAILURES FROM sys_login_failure WHERE LOGIN_NAME = ?", {loginName})));
}

void clearFailedLogins(db::Driver& db, const std::string& loginName)
{
    db.exec("DELETE FROM sys_login_failure WHERE LOGIN_NAME = ?", {loginName});
}

} // namespace rsim::sysmgnt
