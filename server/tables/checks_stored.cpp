// The checks against what is stored, each over the whole batch in a few statements.
#include "checks.h"

#include "lookup.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace rsim::tables {
namespace {

using KeySet = std::unordered_set<std::string>;

// The distinct tuples of the columns among the records that take part, each with the first
// record that holds it.
struct Tuples {
    std::vector<db::Row> values;
    std::vector<std::size_t> firstRecord;
};

template <class TakesPart>
Tuples distinctTuples(const Batch& batch, const std::vector<int>& columns, TakesPart takesPart)
{
    Tuples tuples;
    std::unordered_set<std::string> seen;
    for (std::size_t i = 0; i < batch.rows.size(); ++i) {
        if (!takesPart(i))
            continue;
        db::Row tuple = tupleOf(batch.rows[i], columns);
        if (seen.insert(tupleKey(tuple)).second) {
            tuples.values.push_back(std::move(tuple));
            tuples.firstRecord.push_back(i);
        }
    }
    return tuples;
}

KeySet storedTuples(db::Driver& db, const Table& table, const std::vector<int>& columns, const Tuples& tuples)
{
    KeySet stored;
    findStored(db, table, columns, columns, tuples.values,
               [&](const db::Row& row) { stored.insert(tupleKey(row)); });
    return stored;
}

// The first record (in batch order) whose tuple is, or is not, stored. Tuples come in the order
// of their first records.
std::optional<std::size_t> firstRecord(const Tuples& tuples, const KeySet& stored, bool wantStored)
{
    for (std::size_t t = 0; t < tuples.values.size(); ++t)
        if (stored.count(tupleKey(tuples.values[t])) == (wantStored ? 1U : 0U))
            return tuples.firstRecord[t];
    return std::nullopt;
}

bool everyMemberGiven(const Table& table, const Batch& batch, std::size_t record, const std::vector<int>& columns)
{
    for (int c : columns) {
        const bool key = std::find(table.keys().begin(), table.keys().end(), c) != table.keys().end();
        if (!key && !batch.isSet(record, c))
            return false;
        const db::Value& value = batch.rows[record][static_cast<std::size_t>(c)];
        if (std::holds_alternative<std::string>(value) && std::get<std::string>(value).empty())
            return false;
    }
    return true;
}

Tuples allKeys(const Table& table, const Batch& batch)
{
    return distinctTuples(batch, table.keys(), [](std::size_t) { return true; });
}

} // namespace

std::optional<Refusal> checkReferences(db::Driver& db, const Table& table, const Batch& batch)
{
    for (const auto& reference : table.def().references) {
        const Table& target = TableOf(reference.table);
        const std::vector<int> columns = table.columnsOf(reference.members);
        const Tuples tuples = distinctTuples(
            batch, columns, [&](std::size_t i) { return everyMemberGiven(table, batch, i, columns); });
        if (auto record = firstRecord(tuples, storedTuples(db, target, target.keys(), tuples), false))
            return Refusal{kRefusedReference,
                           target.def().label + "不存在：" + table.describe(batch.rows[*record], columns), *record};
    }
    return std::nullopt;
}

std::optional<Refusal> checkKeysNew(db::Driver& db, const Table& table, const Batch& batch)
{
    const Tuples keys = allKeys(table, batch);
    if (auto record = firstRecord(keys, storedTuples(db, table, table.keys(), keys), true))
        return Refusal{kRefusedDuplicate, table.def().label + "已存在", *record};
    return std::nullopt;
}

std::optional<Refusal> checkKeysStored(db::Driver& db, const Table& table, const Batch& batch, Write write)
{
    const Tuples keys = allKeys(table, batch);
    if (auto record = firstRecord(keys, storedTuples(db, table, table.keys(), keys), false))
        return Refusal{kRefusedNotFound, write == Write::Modify ? "要修改的记录不存在" : "要删除的记录不存在",
                       *record};
    return std::nullopt;
}

std::optional<Refusal> checkUniquesFree(db::Driver& db, const Table& table, const Batch& batch)
{
    for (const auto& unique : table.def().uniques) {
        const int column = table.column(unique);
        const Tuples values = distinctTuples(batch, {column}, [&](std::size_t i) { return batch.isSet(i, column); });
        std::vector<int> answer{column};
        answer.insert(answer.end(), table.keys().begin(), table.keys().end());
        std::unordered_map<std::string, db::Row> holders; // value → the stored row holding it
        findStored(db, table, {column}, answer, values.values,
                   [&](const db::Row& row) { holders.emplace(db::asText(row[0]), row); });
        for (std::size_t i = 0; i < batch.rows.size() && !holders.empty(); ++i) {
            if (!batch.isSet(i, column))
                continue;
            const auto holder = holders.find(db::asText(batch.rows[i][static_cast<std::size_t>(column)]));
            if (holder == holders.end())
                continue;
            const db::Row storedKey(holder->second.begin() + 1, holder->second.end());
            if (tupleKey(storedKey) != tupleKey(batch.rows[i], table.keys()))
                return Refusal{kRefusedDuplicate, unique + "已被其他记录使用（" + table.describeKey(storedKey) + "）", i};
        }
    }
    return std::nullopt;
}

std::optional<Refusal> checkNotReferenced(db::Driver& db, const Table& table, const Batch& batch)
{
    const Tuples keys = allKeys(table, batch);
    for (const auto& other : Tables()) {
        for (const auto& reference : other.def().references) {
            if (reference.table != table.def().table)
                continue;
            const KeySet used = storedTuples(db, other, other.columnsOf(reference.members), keys);
            if (auto record = firstRecord(keys, used, true))
                return Refusal{kRefusedReference,
                               table.def().label + "仍被" + other.def().label + "引用，不能删除", *record};
        }
    }
    return std::nullopt;
}

} // namespace rsim::tables
