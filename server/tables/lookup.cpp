#include "lookup.h"

#include <algorithm>

namespace rsim::tables {

std::size_t chunkRows(std::size_t width)
{
    // Far below the parameter limits of both databases (32,766 and 65,535).
    constexpr std::size_t kParameters = 20000;
    return std::clamp<std::size_t>(kParameters / std::max<std::size_t>(width, 1), 1, 500);
}

std::string valuesTable(const Table& table, const std::vector<int>& columns, std::size_t count)
{
    std::string tuple = "(";
    for (std::size_t i = 0; i < columns.size(); ++i)
        tuple += std::string(i ? ", " : "") +
                 (table.columns()[static_cast<std::size_t>(columns[i])].integer() ? "CAST(? AS BIGINT)" : "?");
    tuple += ")";
    std::string values = "(VALUES ";
    values.reserve(10 + count * (tuple.size() + 2));
    for (std::size_t i = 0; i < count; ++i)
        values += (i ? ", " : "") + tuple;
    return values + ") AS v";
}

std::string joinCondition(const Table& table, const std::vector<int>& columns)
{
    std::string condition;
    for (std::size_t i = 0; i < columns.size(); ++i)
        condition += std::string(i ? " AND " : "") + table.def().table + "." +
                     table.columns()[static_cast<std::size_t>(columns[i])].name + " = v.column" +
                     std::to_string(i + 1);
    return condition;
}

namespace {

// One column: a plain IN list, which both databases answer from the column's index.
std::string matchingOne(const Table& table, int column, std::size_t count)
{
    std::string marks;
    marks.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i)
        marks += i ? ", ?" : "?";
    return " FROM " + table.def().table + " WHERE " + table.columns()[static_cast<std::size_t>(column)].name +
           " IN (" + marks + ")";
}

std::string matchingMany(const Table& table, const std::vector<int>& match, std::size_t count)
{
    return " FROM " + valuesTable(table, match, count) + " JOIN " + table.def().table + " ON " +
           joinCondition(table, match);
}

} // namespace

void findStored(db::Driver& db, const Table& table, const std::vector<int>& match,
                const std::vector<int>& answer, const std::vector<db::Row>& tuples,
                const std::function<void(const db::Row&)>& onRow)
{
    std::string select;
    for (int c : answer)
        select += (select.empty() ? "SELECT " : ", ") + table.def().table + "." +
                  table.columns()[static_cast<std::size_t>(c)].name;
    const std::size_t chunk = chunkRows(match.size());
    for (std::size_t start = 0; start < tuples.size(); start += chunk) {
        const std::size_t count = std::min(chunk, tuples.size() - start);
        db::Row params;
        params.reserve(count * match.size());
        for (std::size_t i = start; i < start + count; ++i)
            params.insert(params.end(), tuples[i].begin(), tuples[i].end());
        db.query(select + (match.size() == 1 ? matchingOne(table, match.front(), count) : matchingMany(table, match, count)),
                 params, onRow);
    }
}

std::string tupleKey(const db::Row& values)
{
    std::string key;
    for (const auto& value : values) {
        key += db::asText(value);
        key += '\x1f';
    }
    return key;
}

std::string tupleKey(const db::Row& row, const std::vector<int>& columns)
{
    return tupleKey(tupleOf(row, columns));
}

db::Row tupleOf(const db::Row& row, const std::vector<int>& columns)
{
    db::Row tuple;
    tuple.reserve(columns.size());
    for (int c : columns)
        tuple.push_back(row[static_cast<std::size_t>(c)]);
    return tuple;
}

} // namespace rsim::tables
