// The checks that need no database: values of each record, and duplicates within the batch.
#include "checks.h"

#include "formats.h"
#include "lookup.h"

#include <unordered_map>

namespace rsim::tables {
namespace {

// The text of a member; rules and text keys concern text members only.
const std::string& text(const Batch& batch, std::size_t record, int column)
{
    static const std::string none;
    const auto* value = std::get_if<std::string>(&batch.rows[record][static_cast<std::size_t>(column)]);
    return value ? *value : none;
}

// Text keys must be set and not empty; a number key left unset counts as 0.
std::optional<std::string> missingKey(const Table& table, const Batch& batch, std::size_t record)
{
    for (int key : table.keys()) {
        const Column& column = table.columns()[static_cast<std::size_t>(key)];
        if (column.kind == TVD_STRING && (!batch.isSet(record, key) || text(batch, record, key).empty()))
            return "缺少关键字段" + column.name;
    }
    return std::nullopt;
}

std::optional<std::string> badMember(const Table& table, const Batch& batch, std::size_t record, Write write)
{
    for (std::size_t c = 0; c < table.columns().size(); ++c) {
        const Column& column = table.columns()[c];
        if (column.format == Format::Any && !column.required)
            continue;
        const int index = static_cast<int>(c);
        if (!batch.isSet(record, index)) {
            if (write == Write::Add && column.required)
                return "缺少" + column.name;
            continue;
        }
        const std::string& value = text(batch, record, index);
        if (column.required && value.empty())
            return column.name + "不能为空";
        if (!matchesFormat(column.format, value))
            return column.name + "格式错误：" + formatDescription(column.format);
    }
    return std::nullopt;
}

std::optional<std::string> badRange(const Table& table, const Batch& batch, std::size_t record)
{
    if (table.def().rangeFirst.empty())
        return std::nullopt;
    const int first = table.column(table.def().rangeFirst);
    const int last = table.column(table.def().rangeLast);
    if (!batch.isSet(record, first) || !batch.isSet(record, last))
        return std::nullopt;
    const std::string& from = text(batch, record, first);
    const std::string& to = text(batch, record, last);
    if (from.size() != to.size())
        return std::string("号段起止长度不一致");
    if (from > to)
        return std::string("号段起始值大于结束值");
    return std::nullopt;
}

std::string names(const Table& table, const std::vector<int>& columns)
{
    std::string text;
    for (int c : columns)
        text += (text.empty() ? "" : "、") + table.columns()[static_cast<std::size_t>(c)].name;
    return text;
}

std::optional<Refusal> repeated(const Table& table, const Batch& batch, const std::vector<int>& columns,
                                bool keys)
{
    std::unordered_map<std::string, std::size_t> seen;
    seen.reserve(batch.rows.size());
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        if (!keys && !batch.isSet(i, columns.front()))
            continue;
        const auto [first, added] = seen.emplace(tupleKey(batch.rows[i], columns), i);
        if (!added)
            return Refusal{kRefusedDuplicate,
                           "同一批数据中" + names(table, columns) + "重复，与第" + std::to_string(first->second + 1) +
                               "条记录相同",
                           i};
    }
    return std::nullopt;
}

} // namespace

std::optional<Refusal> checkValues(const Table& table, const Batch& batch, Write write)
{
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        std::optional<std::string> problem = missingKey(table, batch, i);
        if (!problem && write != Write::Remove)
            problem = badMember(table, batch, i, write);
        if (!problem && write != Write::Remove)
            problem = badRange(table, batch, i);
        if (problem)
            return Refusal{kRefusedInvalid, *problem, i};
    }
    return std::nullopt;
}

std::optional<Refusal> checkBatchDuplicates(const Table& table, const Batch& batch, Write write)
{
    if (auto refusal = repeated(table, batch, table.keys(), true))
        return refusal;
    if (write == Write::Remove)
        return std::nullopt;
    for (const auto& unique : table.def().uniques)
        if (auto refusal = repeated(table, batch, {table.column(unique)}, false))
            return refusal;
    return std::nullopt;
}

} // namespace rsim::tables
