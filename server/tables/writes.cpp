// Add, modify and delete of a list: checked as a whole, written set-based. The dispatcher runs
// each call in one transaction and rolls it back when a check refuses, so a list is stored
// whole or not at all.
#include "stored_table.h"

#include "checks.h"
#include "lookup.h"

#include <map>

namespace rsim::tables {

void Table::stamp(Batch& batch, Write write, const CallContext& context) const
{
    const std::string now = CBSDateTime::currentDateTime().toWire();
    for (const auto& rule : def_.stamps) {
        if (write == Write::Remove || (write == Write::Modify && rule.stamp == Stamp::NowOnAdd))
            continue;
        const int column = this->column(rule.member);
        const db::Value value =
            rule.stamp == Stamp::OperatorOnWrite ? db::Value{std::int64_t{context.opId}} : db::Value{now};
        for (std::size_t i = 0; i < batch.rows.size(); ++i) {
            if (batch.isSet(i, column))
                continue;
            batch.rows[i][static_cast<std::size_t>(column)] = value;
            batch.setMembers[i] |= std::uint64_t{1} << column;
        }
    }
}

void Table::insert(CallContext& context, Batch& batch) const
{
    std::vector<std::string> names;
    for (const auto& c : columns_)
        names.push_back(c.name);
    for (auto& row : batch.rows)
        encryptSecrets(row, context.secrets);
    context.db.insertMany(def_.table, names, batch.rows);
}

// Records that set the same members are updated together: one UPDATE … FROM (VALUES …) per chunk.
void Table::update(CallContext& context, Batch& batch) const
{
    std::uint64_t keyMask = 0;
    for (int key : keys_)
        keyMask |= std::uint64_t{1} << key;
    const std::uint64_t columnMask = columns_.size() >= 64 ? ~0ULL : (std::uint64_t{1} << columns_.size()) - 1;
    std::map<std::uint64_t, std::vector<std::size_t>> byMembers;
    for (std::size_t i = 0; i < batch.rows.size(); ++i)
        byMembers[batch.setMembers[i] & columnMask & ~keyMask].push_back(i);
    for (const auto& [members, records] : byMembers) {
        std::vector<int> tuple = keys_;
        std::string assignments;
        for (int c = 0; c < static_cast<int>(columns_.size()); ++c) {
            if (!((members >> c) & 1U))
                continue;
            tuple.push_back(c);
            assignments += (assignments.empty() ? "" : ", ") + columns_[static_cast<std::size_t>(c)].name +
                           " = v.column" + std::to_string(tuple.size());
        }
        if (assignments.empty())
            continue;
        const std::size_t chunk = chunkRows(tuple.size());
        for (std::size_t start = 0; start < records.size(); start += chunk) {
            const std::size_t count = std::min(chunk, records.size() - start);
            db::Row params;
            params.reserve(count * tuple.size());
            for (std::size_t r = start; r < start + count; ++r) {
                db::Row& row = batch.rows[records[r]];
                encryptSecrets(row, context.secrets);
                for (int c : tuple)
                    params.push_back(row[static_cast<std::size_t>(c)]);
            }
            context.db.exec("UPDATE " + def_.table + " SET " + assignments + " FROM " +
                                valuesTable(*this, tuple, count) + " WHERE " + joinCondition(*this, keys_),
                            params);
        }
    }
}

void Table::erase(CallContext& context, const Batch& batch) const
{
    std::string keyList, valueList;
    for (std::size_t k = 0; k < keys_.size(); ++k) {
        keyList += (k ? ", " : "") + def_.keys[k];
        valueList += (k ? ", column" : "column") + std::to_string(k + 1);
    }
    const std::size_t chunk = chunkRows(keys_.size());
    for (std::size_t start = 0; start < batch.rows.size(); start += chunk) {
        const std::size_t count = std::min(chunk, batch.rows.size() - start);
        db::Row params;
        for (std::size_t i = start; i < start + count; ++i)
            for (int key : keys_)
                params.push_back(batch.rows[i][static_cast<std::size_t>(key)]);
        context.db.exec("DELETE FROM " + def_.table + " WHERE (" + keyList + ") IN (SELECT " + valueList +
                            " FROM " + valuesTable(*this, keys_, count) + ")",
                        params);
    }
}

int Table::finish(CallContext& context, const Batch& batch, const std::optional<Refusal>& refusal,
                  CBSErrorMsg& error) const
{
    if (refusal) {
        error.set(1, refusal->minor, refusal->message,
                  "第" + std::to_string(refusal->record + 1) + "条记录 " + describe(batch.rows[refusal->record], keys_));
        return 1;
    }
    context.auditKeys.reserve(context.auditKeys.size() + batch.rows.size());
    for (const auto& row : batch.rows)
        context.auditKeys.push_back(describe(row, keys_));
    return 0;
}

int Table::add(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const
{
    Batch batch = batchOf(records);
    stamp(batch, Write::Add, context);
    auto refusal = checkValues(*this, batch, Write::Add);
    if (!refusal)
        refusal = checkBatchDuplicates(*this, batch, Write::Add);
    if (!refusal)
        refusal = checkReferences(context.db, *this, batch);
    if (!refusal)
        refusal = checkKeysNew(context.db, *this, batch);
    if (!refusal)
        refusal = checkUniquesFree(context.db, *this, batch);
    if (!refusal) {
        insert(context, batch);
        refusal = checkRanges(context.db, *this, batch);
    }
    return finish(context, batch, refusal, error);
}

int Table::modify(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const
{
    Batch batch = batchOf(records);
    stamp(batch, Write::Modify, context);
    auto refusal = checkValues(*this, batch, Write::Modify);
    if (!refusal)
        refusal = checkBatchDuplicates(*this, batch, Write::Modify);
    if (!refusal)
        refusal = checkReferences(context.db, *this, batch);
    if (!refusal)
        refusal = checkKeysStored(context.db, *this, batch, Write::Modify);
    if (!refusal)
        refusal = checkUniquesFree(context.db, *this, batch);
    if (!refusal) {
        update(context, batch);
        refusal = checkRanges(context.db, *this, batch);
    }
    return finish(context, batch, refusal, error);
}

int Table::remove(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const
{
    const Batch batch = batchOf(records);
    auto refusal = checkValues(*this, batch, Write::Remove);
    if (!refusal)
        refusal = checkBatchDuplicates(*this, batch, Write::Remove);
    if (!refusal)
        refusal = checkKeysStored(context.db, *this, batch, Write::Remove);
    if (!refusal)
        refusal = checkNotReferenced(context.db, *this, batch);
    if (!refusal)
        erase(context, batch);
    return finish(context, batch, refusal, error);
}

} // namespace rsim::tables
