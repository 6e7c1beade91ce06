#include "login_guard.h"

#include <algorithm>

namespace rsim::sysmgnt {
namespace {

// The address's own count is kept under an empty login name, which no operator has.
const std::string kAnyName;

std::int64_t delaySeconds(std::int64_t failures, std::int64_t free)
{
    if (failures <= free)
        return 0;
    const std::int64_t doublings = std::min<std::int64_t>(failures - free - 1, 5);
    return std::min<std::int64_t>(30LL << doublings, 900);
}

// Counts one more failure of the key (decayed first) and says whether the attempt came within
// the delay that the failures before it imposed.
bool countAndCheck(db::Driver& db, const std::string& loginName, const std::string& source,
                   std::time_t now, std::int64_t free)
{
    std::int64_t failures = 0;
    std::int64_t previous = 0;
    db.query("INSERT INTO sys_login_failure (LOGIN_NAME, SOURCE, FAILURES, LAST_FAILURE, "
             "PREVIOUS_FAILURE) VALUES (?, ?, 1, ?, 0) "
             "ON CONFLICT (LOGIN_NAME, SOURCE) DO UPDATE SET FAILURES = CASE "
             "WHEN sys_login_failure.FAILURES > (excluded.LAST_FAILURE - "
             "sys_login_failure.LAST_FAILURE) / " +
                 std::to_string(kForgiveSeconds) +
                 " THEN sys_login_failure.FAILURES - (excluded.LAST_FAILURE - "
                 "sys_login_failure.LAST_FAILURE) / " +
                 std::to_string(kForgiveSeconds) +
                 " ELSE 0 END + 1, PREVIOUS_FAILURE = sys_login_failure.LAST_FAILURE, "
                 "LAST_FAILURE = excluded.LAST_FAILURE RETURNING FAILURES, PREVIOUS_FAILURE",
             {loginName, source, std::int64_t{now}}, [&](const db::Row& row) {
                 failures = db::asInt(row[0]);
                 previous = db::asInt(row[1]);
             });
    return now < previous + delaySeconds(failures - 1, free);
}

} // namespace

bool admitLoginAttempt(db::Driver& db, const std::string& loginName, const std::string& source,
                       std::time_t now)
{
    db::Transaction tx(db);
    const bool sourceWaits = countAndCheck(db, kAnyName, source, now, kFreeFailuresPerSource);
    const bool pairWaits =
        loginName.empty() || countAndCheck(db, loginName, source, now, kFreeFailuresPerName);
    tx.commit();
    return !sourceWaits && !pairWaits;
}

void loginSucceeded(db::Driver& db, const std::string& loginName, const std::string& source)
{
    db.exec("DELETE FROM sys_login_failure WHERE LOGIN_NAME = ? AND SOURCE = ?",
            {loginName, source});
    db.exec("UPDATE sys_login_failure SET FAILURES = FAILURES - 1 "
            "WHERE LOGIN_NAME = ? AND SOURCE = ? AND FAILURES > 0",
            {kAnyName, source});
}

void clearFailedLogins(db::Driver& db, const std::string& loginName)
{
    if (loginName.empty())
        return;
    db.exec("DELETE FROM sys_login_failure WHERE LOGIN_NAME = ?", {loginName});
}

void purgeFailedLogins(db::Driver& db, std::time_t now)
{
    db.exec("DELETE FROM sys_login_failure WHERE LAST_FAILURE + FAILURES * ? <= ?",
            {kForgiveSeconds, std::int64_t{now}});
}

} // namespace rsim::sysmgnt
