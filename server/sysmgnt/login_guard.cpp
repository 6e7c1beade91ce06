#include "login_guard.h"

#include <arpa/inet.h>

#include <algorithm>

namespace rsim::sysmgnt {
namespace {

// The address's own count is kept under an empty login name, which no operator has, and the
// name's count from all addresses under a source no address has.
const std::string kAnyName;
const std::string kEverySource = "*";

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

// Counts one more failure of the key, its count decayed first; returns the count.
std::int64_t countFailure(db::Driver& db, const std::string& loginName, const std::string& source,
                          std::time_t now)
{
    const std::string forgiven = "(excluded.LAST_FAILURE - sys_login_failure.LAST_FAILURE) / " +
                                 std::to_string(kForgiveSeconds);
    std::int64_t failures = 0;
    db.query("INSERT INTO sys_login_failure (LOGIN_NAME, SOURCE, FAILURES, LAST_FAILURE) "
             "VALUES (?, ?, 1, ?) ON CONFLICT (LOGIN_NAME, SOURCE) DO UPDATE SET FAILURES = CASE "
             "WHEN sys_login_failure.FAILURES > " +
                 forgiven + " THEN sys_login_failure.FAILURES - " + forgiven +
                 " ELSE 0 END + 1, LAST_FAILURE = excluded.LAST_FAILURE RETURNING FAILURES",
             {loginName, source, std::int64_t{now}},
             [&](const db::Row& row) { failures = db::asInt(row[0]); });
    return failures;
}

bool knownSource(db::Driver& db, const std::string& loginName, const std::string& source,
                 std::time_t now)
{
    return db::asInt(db.scalar("SELECT COUNT(*) FROM sys_login_source WHERE LOGIN_NAME = ? AND "
                               "SOURCE = ? AND LAST_LOGIN > ?",
                               {loginName, source, std::int64_t{now} - kKnownSourceSeconds})) > 0;
}

} // namespace

std::string sourceKey(const std::string& address)
{
    in6_addr bytes{};
    char text[INET6_ADDRSTRLEN] = {};
    if (::inet_pton(AF_INET6, address.c_str(), &bytes) != 1)
        return address;
    if (IN6_IS_ADDR_V4MAPPED(&bytes)) // an IPv4 client of a dual-stack socket
        return ::inet_ntop(AF_INET, bytes.s6_addr + 12, text, sizeof text);
    std::fill(bytes.s6_addr + 8, bytes.s6_addr + 16, 0);
    ::inet_ntop(AF_INET6, &bytes, text, sizeof text);
    return std::string(text) + "/64";
}

std::int64_t loginWait(db::Driver& db, const std::string& loginName, const std::string& source,
                       std::time_t now)
{
    std::int64_t wait = 0;
    std::int64_t nameWait = 0; // of the name's failures from every address
    db.query("SELECT LOGIN_NAME, SOURCE, FAILURES, LAST_FAILURE FROM sys_login_failure "
             "WHERE (SOURCE = ? AND LOGIN_NAME IN (?, ?)) OR (SOURCE = ? AND LOGIN_NAME = ?)",
             {source, kAnyName, loginName, kEverySource, loginName}, [&](const db::Row& row) {
                 const std::int64_t failures = db::asInt(row[2]);
                 const std::int64_t last = db::asInt(row[3]);
                 if (db::asText(row[1]) == kEverySource)
                     nameWait = waitOf(failures, last, now, kFreeFailuresPerNameEverywhere);
                 else
                     wait =
                         std::max(wait, waitOf(failures, last, now,
                                               db::asText(row[0]).empty() ? kFreeFailuresPerSource
                                                                          : kFreeFailuresPerName));
             });
    if (nameWait > wait && !knownSource(db, loginName, source, now))
        return nameWait;
    return wait;
}

bool loginFailed(db::Driver& db, const std::string& loginName, const std::string& source,
                 std::time_t now)
{
    db::Transaction tx(db);
    countFailure(db, kAnyName, source, now);
    bool passedLimit = false;
    if (!loginName.empty()) {
        countFailure(db, loginName, source, now);
        passedLimit =
            countFailure(db, loginName, kEverySource, now) == kFreeFailuresPerNameEverywhere + 1;
    }
    tx.commit();
    return passedLimit;
}

void loginSucceeded(db::Driver& db, const std::string& loginName, const std::string& source,
                    std::time_t now)
{
    db.exec("DELETE FROM sys_login_failure WHERE LOGIN_NAME = ? AND SOURCE = ?",
            {loginName, source});
    db.exec("INSERT INTO sys_login_source (LOGIN_NAME, SOURCE, LAST_LOGIN) VALUES (?, ?, ?) "
            "ON CONFLICT (LOGIN_NAME, SOURCE) DO UPDATE SET LAST_LOGIN = excluded.LAST_LOGIN",
            {loginName, source, std::int64_t{now}});
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
    db.exec("DELETE FROM sys_login_source WHERE LAST_LOGIN <= ?",
            {std::int64_t{now} - kKnownSourceSeconds});
}

} // namespace rsim::sysmgnt
