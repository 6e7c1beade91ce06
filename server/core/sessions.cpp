#include "sessions.h"

#include "ResRemoteSimTables.h"
#include "secrets.h"

#include <algorithm>

namespace rsim {

std::optional<bool> SessionOwner::holds(std::int32_t entity) const
{
    for (std::size_t i = 0; i < asked.size(); ++i)
        if (entity != 0 && asked[i] == entity)
            return held[i];
    return std::nullopt;
}

std::string Sessions::open(db::Driver& db, std::int32_t opId, std::time_t now)
{
    const std::string token = secrets::newToken();
    const std::int64_t ends = now + policy_.longest.count();
    db.exec("INSERT INTO sys_session (TOKEN, OP_ID, IDLE_UNTIL, ENDS) VALUES (?, ?, ?, ?)",
            {secrets::tokenDigest(token), std::int64_t{opId},
             std::min<std::int64_t>(now + policy_.idle.count(), ends), ends});
    return token;
}

std::optional<SessionOwner> Sessions::find(db::Driver& db, const std::string& token,
                                           std::time_t now, const RightsAsked& asked)
{
    if (token.empty())
        return std::nullopt;
    std::optional<SessionOwner> owner;
    std::int64_t idleUntil = 0;
    std::int64_t ends = 0;
    const std::string digest = secrets::tokenDigest(token);
    const std::int64_t privilege = rsimcatalog::kPrivilege;
    db.query("SELECT s.OP_ID, o.ORG_ID, s.IDLE_UNTIL, s.ENDS, "
             "(SELECT COUNT(*) FROM sys_oper_right r "
             "WHERE r.OP_ID = s.OP_ID AND r.ENT_ID = ? AND r.PRIV_ID = ?), "
             "(SELECT COUNT(*) FROM sys_oper_right r "
             "WHERE r.OP_ID = s.OP_ID AND r.ENT_ID = ? AND r.PRIV_ID = ?) "
             "FROM sys_session s JOIN sys_operator o ON o.OP_ID = s.OP_ID "
             "WHERE s.TOKEN = ? AND s.IDLE_UNTIL > ? AND s.ENDS > ? AND o.LOCK_STATUS = 0",
             {std::int64_t{asked[0]}, privilege, std::int64_t{asked[1]}, privilege, digest,
              std::int64_t{now}, std::int64_t{now}},
             [&](const db::Row& row) {
                 owner = SessionOwner{static_cast<std::int32_t>(db::asInt(row[0])),
                                      static_cast<std::int32_t>(db::asInt(row[1])),
                                      asked,
                                      {db::asInt(row[4]) != 0, db::asInt(row[5]) != 0}};
                 idleUntil = db::asInt(row[2]);
                 ends = db::asInt(row[3]);
             });
    const std::int64_t slid = std::min<std::int64_t>(now + policy_.idle.count(), ends);
    if (owner && idleUntil < slid - renewStep())
        db.exec("UPDATE sys_session SET IDLE_UNTIL = ? WHERE TOKEN = ?", {slid, digest});
    return owner;
}

std::int32_t Sessions::close(db::Driver& db, const std::string& token)
{
    const std::string digest = secrets::tokenDigest(token);
    const auto opId =
        db::asInt(db.scalar("SELECT OP_ID FROM sys_session WHERE TOKEN = ?", {digest}));
    db.exec("DELETE FROM sys_session WHERE TOKEN = ?", {digest});
    return static_cast<std::int32_t>(opId);
}

void Sessions::purgeExpired(db::Driver& db, std::time_t now)
{
    db.exec("DELETE FROM sys_session WHERE IDLE_UNTIL <= ? OR ENDS <= ?",
            {std::int64_t{now}, std::int64_t{now}});
}

std::int64_t Sessions::live(db::Driver& db, std::time_t now)
{
    return db::asInt(db.scalar("SELECT COUNT(*) FROM sys_session WHERE IDLE_UNTIL > ? AND ENDS > ?",
                               {std::int64_t{now}, std::int64_t{now}}));
}

std::int64_t Sessions::renewStep() const
{
    return std::min<std::int64_t>(300, policy_.idle.count() / 10);
}

} // namespace rsim
