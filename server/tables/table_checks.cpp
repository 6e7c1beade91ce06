// The checks of a table's writes: keys, formats, references, ranges and unique values, in a
// record, in a batch and against the stored rows.
#include "table_parts.h"

#include "formats.h"

#include <algorithm>
#include <unordered_set>

namespace rsim::tables {
namespace {

constexpr std::size_t kInChunk = 500;

std::uint64_t keyHash(const std::string& key)
{
    return std::hash<std::string>{}(key);
}

} // namespace

std::string Table::keyText(const CTvdBasicStructObject& record) const
{
    std::string text;
    for (int member : keyColumns_)
        text += (text.empty() ? "" : ",") + columns_[static_cast<std::size_t>(member)].name + "=" +
                memberString(record, member);
    return text;
}

void Table::refuse(CBSErrorMsg& error, int minor, const std::string& message,
                   const CTvdBasicStructObject& record, int position) const
{
    error.set(1, minor, message, "第" + std::to_string(position) + "条记录 " + keyText(record));
}

bool Table::checkKeysSet(const CTvdBasicStructObject& record, int position,
                         CBSErrorMsg& error) const
{
    for (int member : keyColumns_) {
        if (!record.isSet(member)) {
            refuse(error, kRefusedInvalid,
                   "缺少关键字段" + columns_[static_cast<std::size_t>(member)].name, record,
                   position);
            return false;
        }
    }
    return true;
}

bool Table::checkRecord(CallContext& context, const CTvdBasicStructObject& record, int position,
                        std::unordered_set<std::string>& verified, CBSErrorMsg& error) const
{
    if (!checkKeysSet(record, position, error))
        return false;
    for (const auto& rule : def_.rules) {
        const Column& c = column(rule.member);
        if (!record.isSet(c.member))
            continue;
        const std::string value = memberString(record, c.member);
        if (!matchesFormat(rule.format, value)) {
            refuse(error, kRefusedInvalid,
                   rule.member + "格式错误：" + formatDescription(rule.format), record, position);
            return false;
        }
        if (!rule.references.empty() && !value.empty() &&
            !verified.count(std::string(rule.references) + '\x1f' + value)) {
            if (!exists(context.db, StoredTable(rule.references).keyExists_, {value})) {
                refuse(error, kRefusedReference, "引用的" + rule.member + "不存在：" + value,
                       record, position);
                return false;
            }
            verified.insert(std::string(rule.references) + '\x1f' + value);
        }
    }
    return true;
}

bool Table::checkRange(CallContext& context, const CTvdBasicStructObject& record, int position,
                       bool excludeSelf, CBSErrorMsg& error) const
{
    if (def_.rangeFirst.empty())
        return true;
    const Column& first = column(def_.rangeFirst);
    const Column& last = column(def_.rangeLast);
    const std::string from = memberString(record, first.member);
    const std::string to = memberString(record, last.member);
    if (from.size() != to.size()) {
        refuse(error, kRefusedInvalid, "号段起止长度不一致", record, position);
        return false;
    }
    if (from > to) {
        refuse(error, kRefusedInvalid, "号段起始值大于结束值", record, position);
        return false;
    }
    std::string sql = "SELECT " + first.name + ", " + last.name + " FROM " + name_ +
                      " WHERE LENGTH(" + first.name + ") = ? AND " + first.name + " <= ? AND " +
                      last.name + " >= ?";
    Row params{static_cast<std::int64_t>(from.size()), to, from};
    if (excludeSelf) {
        sql += " AND " + first.name + " <> ?";
        params.emplace_back(from);
    }
    std::string clash;
    context.db.query(sql + " LIMIT 1", params, [&](const Row& row) {
        clash = db::asText(row[0]) + "-" + db::asText(row[1]);
    });
    if (!clash.empty()) {
        refuse(error, kRefusedOverlap, "号段与已有号段重叠：" + clash, record, position);
        return false;
    }
    return true;
}

std::string Table::setKey(const CTvdBasicStructObject& record,
                          const std::vector<int>& members) const
{
    std::string key;
    for (int member : members)
        key += memberString(record, member) + '\x1f';
    return key;
}

// The column names of a unique set, "A,B,C": a duplicate names the whole key it repeats.
std::string Table::setNames(const std::vector<int>& members) const
{
    std::string names;
    for (int member : members)
        names += (names.empty() ? "" : ",") + columns_[static_cast<std::size_t>(member)].name;
    return names;
}

bool Table::checkBatchDuplicates(const CTvdBasicListObject& records, int done,
                                 std::vector<std::vector<std::uint64_t>>& hashes,
                                 CBSErrorMsg& error) const
{
    hashes.assign(uniqueSets_.size(), {});
    for (std::size_t set = 0; set < uniqueSets_.size(); ++set) {
        const std::vector<int>& members = uniqueSets_[set];
        std::unordered_set<std::string> seen;
        seen.reserve(static_cast<std::size_t>(records.count()));
        for (int i = 0; i < records.count(); ++i) {
            std::string key = setKey(records.element(i), members);
            hashes[set].push_back(keyHash(key));
            if (!seen.insert(std::move(key)).second) {
                refuse(error, kRefusedDuplicate, "同一批数据中重复：" + setNames(members),
                       records.element(i), done + i + 1);
                return false;
            }
        }
    }
    return true;
}

bool Table::checkBatchOverlaps(const CTvdBasicListObject& records, int done,
                               CBSErrorMsg& error) const
{
    if (def_.rangeFirst.empty())
        return true;
    const int first = column(def_.rangeFirst).member;
    const int last = column(def_.rangeLast).member;
    std::vector<std::pair<std::string, std::string>> ranges;
    for (int i = 0; i < records.count(); ++i)
        ranges.emplace_back(memberString(records.element(i), first),
                            memberString(records.element(i), last));
    // Each range is compared with those before it: 5,000 ranges, a chunk, take about 35 ms, less
    // than checking them against the stored ones, a query each.
    for (std::size_t i = 1; i < ranges.size(); ++i) {
        const auto& [from, to] = ranges[i];
        for (std::size_t j = 0; j < i; ++j) {
            const auto& [otherFrom, otherTo] = ranges[j];
            if (from.size() == otherFrom.size() && from <= otherTo && to >= otherFrom) {
                refuse(error, kRefusedOverlap,
                       "号段与同一批数据中的号段重叠：" + otherFrom + "-" + otherTo,
                       records.element(static_cast<int>(i)), done + static_cast<int>(i) + 1);
                return false;
            }
        }
    }
    return true;
}

bool Table::checkStoredDuplicates(CallContext& context, const CTvdBasicListObject& records,
                                  const Batch& batch, CBSErrorMsg& error) const
{
    for (std::size_t set = 0; set < uniqueSets_.size(); ++set) {
        const std::vector<int>& members = uniqueSets_[set];
        const int found = firstStored(context, records, members);
        if (found < 0)
            continue;
        const CTvdBasicStructObject& record = records.element(found);
        const std::vector<std::uint64_t>* added =
            set < batch.added.size() ? &batch.added[set] : nullptr;
        if (added != nullptr && std::find(added->begin(), added->end(),
                                          keyHash(setKey(record, members))) != added->end())
            refuse(error, kRefusedDuplicate, "同一批数据中重复：" + setNames(members), record,
                   batch.done + found + 1);
        else
            refuse(error, kRefusedDuplicate,
                   members.size() == 1 ? setNames(members) + "已存在" : "记录已存在", record,
                   batch.done + found + 1);
        return false;
    }
    return true;
}

int Table::firstStored(CallContext& context, const CTvdBasicListObject& records,
                       const std::vector<int>& members) const
{
    if (members.size() > 1) {
        for (int i = 0; i < records.count(); ++i)
            if (exists(context.db, keyExists_, keyValues(records.element(i))))
                return i;
        return -1;
    }
    const Column& c = columns_[static_cast<std::size_t>(members.front())];
    for (int start = 0; start < records.count(); start += static_cast<int>(kInChunk)) {
        const int end = std::min(records.count(), start + static_cast<int>(kInChunk));
        Row values;
        for (int i = start; i < end; ++i)
            values.emplace_back(valueOf(records.element(i), c, context.secrets));
        std::unordered_set<std::string> stored;
        context.db.query("SELECT " + c.name + " FROM " + name_ + " WHERE " + c.name + " IN (" +
                             placeholders(values.size()) + ")",
                         values, [&](const Row& row) { stored.insert(db::asText(row[0])); });
        for (int i = start; i < end && !stored.empty(); ++i)
            if (stored.count(memberString(records.element(i), c.member)))
                return i;
    }
    return -1;
}

bool Table::checkUniquesKept(CallContext& context, const CTvdBasicStructObject& record,
                             int position, CBSErrorMsg& error) const
{
    const std::string otherRecord = joined(each(keyNames_, " <> ?"), "", " OR ");
    for (const auto& name : def_.uniques) {
        const Column& c = column(name);
        if (!record.isSet(c.member))
            continue;
        Row params{valueOf(record, c, context.secrets)};
        for (auto& value : keyValues(record))
            params.push_back(std::move(value));
        if (exists(context.db,
                   "SELECT 1 FROM " + name_ + " WHERE " + name + " = ? AND (" + otherRecord + ")",
                   params)) {
            refuse(error, kRefusedDuplicate, name + "已存在", record, position);
            return false;
        }
    }
    return true;
}

bool Table::checkNotReferenced(CallContext& context, const CTvdBasicStructObject& record,
                               int position, CBSErrorMsg& error) const
{
    if (keyColumns_.size() != 1)
        return true;
    for (const auto& other : Tables()) {
        for (const auto& rule : other.def_.rules) {
            if (rule.references != name_)
                continue;
            const std::string& otherKey = other.keyNames_.front();
            const Value user = context.db.scalar("SELECT " + otherKey + " FROM " + other.name_ +
                                                     " WHERE " + rule.member + " = ? LIMIT 1",
                                                 keyValues(record));
            if (!isNull(user)) {
                refuse(error, kRefusedReference,
                       "记录仍被" + other.name_ + "引用（" + otherKey + "=" + db::asText(user) +
                           "），不能删除",
                       record, position);
                return false;
            }
        }
    }
    return true;
}

} // namespace rsim::tables
