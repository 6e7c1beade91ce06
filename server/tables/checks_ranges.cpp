// Ranges, checked on the stored rows once a write is done: a partial modify (only the last
// number, say) is judged by the range it leaves behind. A refusal rolls the write back.
#include "checks.h"

#include "lookup.h"

namespace rsim::tables {
namespace {

struct RangeSql {
    std::string stored; // the first and last number of one range, by its key
    std::string clash;  // another range of the same length that overlaps it
};

RangeSql rangeSql(const Table& table)
{
    const auto& def = table.def();
    std::string byKey, keyList;
    for (const auto& key : def.keys) {
        byKey += (byKey.empty() ? "" : " AND ") + key + " = ?";
        keyList += key + ", ";
    }
    return {"SELECT " + def.rangeFirst + ", " + def.rangeLast + " FROM " + def.table + " WHERE " + byKey,
            "SELECT " + keyList + def.rangeFirst + ", " + def.rangeLast + " FROM " + def.table + " WHERE LENGTH(" +
                def.rangeFirst + ") = ? AND " + def.rangeFirst + " <= ? AND " + def.rangeLast +
                " >= ? AND NOT (" + byKey + ") ORDER BY " + def.rangeFirst + " LIMIT 1"};
}

struct Problem {
    std::int32_t minor;
    std::string message;
};

std::optional<Problem> problemOf(db::Driver& db, const Table& table, const RangeSql& sql, const db::Row& key)
{
    db::Row range;
    db.query(sql.stored, key, [&](const db::Row& row) { range = row; });
    const std::string from = db::asText(range.at(0));
    const std::string to = db::asText(range.at(1));
    if (from.size() != to.size())
        return Problem{kRefusedInvalid, "号段起止长度不一致"};
    if (from > to)
        return Problem{kRefusedInvalid, "号段起始值大于结束值"};
    db::Row params{static_cast<std::int64_t>(from.size()), to, from};
    params.insert(params.end(), key.begin(), key.end());
    std::optional<Problem> clash;
    db.query(sql.clash, params, [&](const db::Row& row) {
        const std::size_t keys = table.keys().size();
        clash = Problem{kRefusedOverlap, "号段与已有号段重叠：" +
                                             table.describeKey(db::Row(row.begin(), row.begin() + static_cast<long>(keys))) +
                                             "（" + db::asText(row[keys]) + "～" + db::asText(row[keys + 1]) + "）"};
    });
    return clash;
}

} // namespace

std::optional<Refusal> checkRanges(db::Driver& db, const Table& table, const Batch& batch)
{
    if (table.def().rangeFirst.empty())
        return std::nullopt;
    const RangeSql sql = rangeSql(table);
    for (std::size_t i = 0; i < batch.rows.size(); ++i)
        if (auto problem = problemOf(db, table, sql, tupleOf(batch.rows[i], table.keys())))
            return Refusal{problem->minor, problem->message, i};
    return std::nullopt;
}

} // namespace rsim::tables
