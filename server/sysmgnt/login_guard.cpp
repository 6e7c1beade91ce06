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

// The seconds left of the delay that a key's failures impose, its count decayed to now.
std::int64_t waitOf(std::int64_t failures, std::int64_t lastFailure, std::time_t now,
                    std::int64_t free)
{
    const std::int64_t left =
        std::max<std::int64_t>(failures - (now - lastFailure) / kForgiveSeconds, 0);
    return std::max<std::int64_t>(lastFailure + delaySeconds(left, free) - now, 0);
}

// Counts one more failure of the key, its count decayed first.
void countFailure(db::Driver& db, const std::string& loginName, const std::string& source,
                  std::time_t now)
{
    const std::string forgiven = "(excluded.LAST_FAILURE - sys_login_failure.LAST_FAILURE) / " +
                                 std::to_string(kForgiveSeconds);
    db.exec("INSERT INTO sys_login_failure (LOGIN_NAME, SOURCE, FAILURES, LAST_FAILURE) "
            "VALUES (?, ?, 1, ?) ON CONFLICT (LOGIN_NAME, SOURCE) DO UPDATE SET FAILURES = CASE "
            "WHEN sys_login_failure.FAILURES > " +
                forgiven + " THEN sys_login_failure.FAILURES - " + forgiven +
                " ELSE 0 END + 1, LAST_FAILURE = excluded.LAST_FAILURE",
            {loginName, source, std::int64_t{now}});
}

} // namespace

std::int64_t loginWait(db::Driver& db, const std::string& loginName, const std::string& source,
                       std::time_t now)
{
    std::int64_t wait = 0;
    db.query("SELECT LOGIN_NAME, FAILURES, LAST_FAILURE FROM sys_login_failure "
             "WHERE SOURCE = ? AND LOGIN_NAME IN (?, ?)",
             {source, kAnyName, loginName}, [&](const db::Row& row) {
                 const bool ofSource = db::asText(row[0]).empty();
                 wait = std::max(wait,
                                 waitOf(db::asInt(row[1]), db::asInt(row[2]), now,
                                        ofSource ? kFreeFailuresPerSource : kFreeFailuresPerName));
             });
    return wait;
}

void loginFailed(db::Driver& db, const std::string& loginName, const std::string& source,
                 std::time_t now)
{
    db::Transaction tx(db);
    countFailure(db, kAnyName, source, now);
    if (!loginName.empty())
        countFailure(db, loginName, source, now);
    tx.commit();
}

void loginSucceeded(db::Driver& db, const std::string& loginName, const std::string& source)
{
    db.exec("DELETE FROM sys_login_failure WHERE LOGIN_NAME = ? AND SOURCE = ?",
            {loginName, source});
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
