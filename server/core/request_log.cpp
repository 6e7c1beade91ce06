#include "request_log.h"

#include <algorithm>
#include <cctype>

namespace rsim::requestlog {

bool validId(std::string_view id)
{
    return !id.empty() && id.size() <= 64 && std::all_of(id.begin(), id.end(), [](char c) {
        return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
    });
}

std::string digestPrefix(std::string_view operation)
{
    return std::string(operation) + "\n";
}

std::optional<Kept> find(db::Driver& db, std::int32_t opId, const std::string& id)
{
    std::optional<Kept> kept;
    db.query("SELECT STATUS, ANSWER, DIGEST FROM sys_request WHERE OP_ID = ? AND REQUEST_ID = ?",
             {std::int64_t{opId}, id}, [&](const db::Row& row) {
                 kept.emplace(Kept{{static_cast<int>(db::asInt(row[0])), db::asText(row[1])},
                                   db::asText(row[2])});
             });
    return kept;
}

void claim(db::Driver& db, std::int32_t opId, const std::string& id, const std::string& digest,
           std::time_t now)
{
    db.exec("INSERT INTO sys_request (OP_ID, REQUEST_ID, CREATED, STATUS, ANSWER, DIGEST) "
            "VALUES (?, ?, ?, 0, '', ?)",
            {std::int64_t{opId}, id, std::int64_t{now}, digest});
}

void keep(db::Driver& db, std::int32_t opId, const std::string& id, const Answer& answer)
{
    db.exec("UPDATE sys_request SET STATUS = ?, ANSWER = ? WHERE OP_ID = ? AND REQUEST_ID = ?",
            {std::int64_t{answer.status}, answer.body, std::int64_t{opId}, id});
}

void purgeExpired(db::Driver& db, std::time_t now)
{
    db.exec("DELETE FROM sys_request WHERE CREATED < ?", {std::int64_t{now - kKeptSeconds}});
}

} // namespace rsim::requestlog
