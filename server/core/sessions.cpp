#include "sessions.h"

#include "secrets.h"

#include <ctime>

namespace rsim::sessions {
namespace {

using std::chrono::system_clock;

// Extending a session costs a write; skip it while the session has nearly all its life left.
constexpr std::chrono::minutes kExtendAfter{5};

std::string expiryFromNow(std::chrono::seconds lifetime = kLifetime)
{
    return utcText(system_clock::now() + lifetime);
}

} // namespace

std::string utcText(system_clock::time_point when)
{
    const std::time_t seconds = system_clock::to_time_t(when);
    std::tm utc{};
    gmtime_r(&seconds, &utc);
    char text[24];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &utc);
    return text;
}

std::string open(db::Driver& db, std::int32_t opId)
{
    const std::string token = secrets::newToken();
    db.exec("DELETE FROM sys_session WHERE EXPIRES <= ?", {utcText(system_clock::now())});
    db.exec("INSERT INTO sys_session (TOKEN, OP_ID, EXPIRES) VALUES (?, ?, ?)",
            {token, std::int64_t{opId}, expiryFromNow()});
    return token;
}

std::optional<SessionOperator> resolve(db::Driver& db, const std::string& token)
{
    if (token.empty())
        return std::nullopt;
    std::optional<SessionOperator> found;
    std::string expires;
    db.query("SELECT s.OP_ID, o.ORG_ID, s.EXPIRES FROM sys_session s JOIN sys_operator o ON o.OP_ID = s.OP_ID "
             "WHERE s.TOKEN = ? AND s.EXPIRES > ? AND o.LOCK_STATUS = 0",
             {token, utcText(system_clock::now())}, [&](const db::Row& row) {
                 found = SessionOperator{static_cast<std::int32_t>(db::asInt(row[0])),
                                         static_cast<std::int32_t>(db::asInt(row[1]))};
                 expires = db::asText(row[2]);
             });
    if (found && expires < expiryFromNow(kLifetime - kExtendAfter))
        db.exec("UPDATE sys_session SET EXPIRES = ? WHERE TOKEN = ?", {expiryFromNow(), token});
    return found;
}

void close(db::Driver& db, const std::string& token)
{
    db.exec("DELETE FROM sys_session WHERE TOKEN = ?", {token});
}

} // namespace rsim::sessions
