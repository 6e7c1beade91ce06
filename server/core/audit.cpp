#include "audit.h"

#include <ctime>

namespace rsim::audit {

std::string localNow()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[24];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

void record(db::Driver& db, const Entry& entry)
{
    const db::Value now = localNow();
    const db::Value opId = std::int64_t{entry.opId};
    auto row = [&](const std::string& key) -> db::Row {
        return {now, opId, entry.interfaceName, entry.code, entry.operation, key};
    };
    std::vector<db::Row> rows;
    rows.reserve(entry.keys.size());
    for (const auto& key : entry.keys)
        rows.push_back(row(key));
    if (rows.empty())
        rows.push_back(row(""));
    db.insertMany("sys_audit", {"AUDIT_TIME", "OP_ID", "INTERFACE", "CODE", "OPERATION", "RECORD_KEY"}, rows);
}

} // namespace rsim::audit
