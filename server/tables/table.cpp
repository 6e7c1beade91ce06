#include "table_parts.h"

#include "tvd_json_stream.h"
#include "tvd_member.h"

#include <algorithm>
#include <cstring>

namespace rsim::tables {
namespace {

constexpr std::size_t kInsertChunk = 10000;

} // namespace

std::string memberString(const CTvdBasicStructObject& record, int member)
{
    return std::visit(TvdOverloaded{[](const std::string* text) { return *text; },
                                    [](const CBSDateTime* date) { return date->toWire(); },
                                    [](const auto* number) { return std::to_string(*number); }},
                      tvd_member(record, member));
}

std::int64_t memberInt(const CTvdBasicStructObject& record, int member)
{
    return std::visit(TvdOverloaded{[](const std::string*) { return std::int64_t{0}; },
                                    [](const CBSDateTime*) { return std::int64_t{0}; },
                                    [](const auto* number) { return std::int64_t{*number}; }},
                      tvd_member(record, member));
}

Table::Table(const TableDef& def) : def_(def), name_(def.name()), keyNames_(def.keyNames())
{
    const CTvdTypeInfo* type = &def.record();
    const STvdMemberTypeInfo* table = type->memberTable();
    for (int i = 0; table[i].kind != TVD_END; ++i) {
        const bool secret =
            std::any_of(def.rules.begin(), def.rules.end(),
                        [&](const MemberRule& r) { return r.member == table[i].name && r.secret; });
        if (table[i].offset < 0 || (secret && table[i].kind != TVD_STRING))
            throw std::logic_error(name_ + "." + table[i].name + " cannot be stored");
        std::string key(1, ',');
        tvd::wire::appendText(key, table[i].name);
        key += ':';
        if (key.size() > kMaxKeyBytes)
            throw std::logic_error(name_ + "." + table[i].name + " is too long a name");
        columns_.push_back({table[i].name, table[i].kind, i, secret, table[i].offset,
                            std::move(key), storedValueOf(table[i].kind),
                            answerWriterOf(table[i].kind), textReaderOf(table[i].kind)});
        answerOrder_.push_back(i);
    }
    std::sort(answerOrder_.begin(), answerOrder_.end(),
              [&](int a, int b) { return std::strcmp(table[a].name, table[b].name) < 0; });
    for (const auto& key : keyNames_)
        keyColumns_.push_back(column(key).member);
    uniqueSets_.push_back(keyColumns_);
    for (const auto& unique : def.uniques)
        uniqueSets_.push_back({column(unique).member});
    checkNames();
    hasSecrets_ =
        std::any_of(columns_.begin(), columns_.end(), [](const Column& c) { return c.secret; });
    for (const auto& c : columns_)
        columnNames_.push_back(c.name);
    selectColumns_ = joined(columnNames_, "SELECT ", ", ") + " FROM " + name_;
    keyWhere_ = joined(each(keyNames_, " = ?"), " WHERE ", " AND ");
    keyExists_ = "SELECT 1 FROM " + name_ + keyWhere_;
    orderBy_ = " ORDER BY " + (def.order.empty() ? joined(keyNames_, "", ", ") : def.order);
}

// A def that names a member its record lacks, or a table that is not defined, fails when the
// tables are made (at the service's start), not at the first call that reads that name.
void Table::checkNames() const
{
    for (const auto& rule : def_.rules) {
        column(rule.member);
        if (!rule.references.empty())
            TableDefOf(rule.references);
    }
    for (const auto& name : def_.contains)
        column(name);
    if (def_.rangeFirst.empty() != def_.rangeLast.empty())
        throw std::logic_error(name_ + " names one end of a range only");
    if (!def_.rangeFirst.empty()) {
        column(def_.rangeFirst);
        column(def_.rangeLast);
    }
    for (const auto& criterion : def_.criteria)
        if (criterion.filter != Filter::Limit)
            column(criterion.column);
}

const Table::Column& Table::column(const std::string& name) const
{
    for (const auto& c : columns_)
        if (c.name == name)
            return c;
    throw std::logic_error(name_ + " has no member " + name);
}

Row Table::keyValues(const CTvdBasicStructObject& record) const
{
    Row values;
    for (int member : keyColumns_) {
        const Column& c = columns_[static_cast<std::size_t>(member)];
        if (c.kind == TVD_STRING)
            values.emplace_back(memberString(record, member));
        else
            values.emplace_back(memberInt(record, member));
    }
    return values;
}

int Table::query(const QueryPlan& plan, CallContext& context, const CTvdBasicStructObject& criteria,
                 CTvdBasicListObject& out, CBSErrorMsg& error) const
{
    Selection selection;
    if (!select(plan, context, criteria, selection, error))
        return 1;
    // Secrets go only to an operator who may modify the table, and each answer of them is audited;
    // a criterion on a secret would tell it to anyone else, so for them it matches nothing.
    const bool reveal = revealEntity() != 0 && context.holdsModifyRight(revealEntity());
    if (!reveal && !selection.sealed.empty())
        return 0;
    answerRows(context, selection, reveal, out);
    return 0;
}

int Table::add(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
               CBSErrorMsg& error) const
{
    for (int i = 0; i < records.count(); ++i)
        if (!checkRecord(context, records.element(i), batch.done + i + 1, batch.verified, error) ||
            !checkRange(context, records.element(i), batch.done + i + 1, false, error))
            return 1;
    std::vector<std::vector<std::uint64_t>> hashes;
    if (!checkBatchDuplicates(records, batch.done, hashes, error) ||
        !checkBatchOverlaps(records, batch.done, error) ||
        !checkStoredDuplicates(context, records, batch, error))
        return 1;
    batch.added.resize(uniqueSets_.size());
    // Rows go to the database a chunk at a time, so that many records are not held a second
    // time as rows.
    std::vector<Row> rows;
    rows.reserve(std::min(static_cast<std::size_t>(records.count()), kInsertChunk));
    for (int i = 0; i < records.count(); ++i) {
        const CTvdBasicStructObject& record = records.element(i);
        Row row;
        row.reserve(columns_.size());
        for (const auto& c : columns_)
            row.push_back(valueOf(record, c, context.secrets));
        rows.push_back(std::move(row));
        context.auditKeys.push_back(name_ + " " + keyText(record));
        if (rows.size() == kInsertChunk || i + 1 == records.count()) {
            context.db.insertMany(name_, columnNames_, rows);
            rows.clear();
        }
    }
    for (std::size_t set = 0; set < uniqueSets_.size(); ++set)
        batch.added[set].insert(batch.added[set].end(), hashes[set].begin(), hashes[set].end());
    batch.done += records.count();
    return 0;
}

int Table::modify(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
                  CBSErrorMsg& error) const
{
    for (int i = 0; i < records.count(); ++i) {
        const CTvdBasicStructObject& record = records.element(i);
        const int position = batch.done + i + 1;
        const bool rangeChanged =
            !def_.rangeLast.empty() && record.isSet(column(def_.rangeLast).member);
        if (!checkRecord(context, record, position, batch.verified, error) ||
            (rangeChanged && !checkRange(context, record, position, true, error)) ||
            !checkUniquesKept(context, record, position, error))
            return 1;
        std::vector<std::string> set;
        Row params;
        for (const auto& c : columns_) {
            const bool key =
                std::find(keyColumns_.begin(), keyColumns_.end(), c.member) != keyColumns_.end();
            if (key || !record.isSet(c.member))
                continue;
            set.push_back(c.name + " = ?");
            params.push_back(valueOf(record, c, context.secrets));
        }
        for (auto& value : keyValues(record))
            params.push_back(std::move(value));
        const std::int64_t changed =
            set.empty() ? (exists(context.db, keyExists_, keyValues(record)) ? 1 : 0)
                        : context.db.execCount(
                              "UPDATE " + name_ + joined(set, " SET ", ", ") + keyWhere_, params);
        if (changed != 1) {
            refuse(error, kRefusedNotFound,
                   changed == 0 ? "要修改的记录不存在" : "关键字匹配到多条记录", record, position);
            return 1;
        }
        context.auditKeys.push_back(name_ + " " + keyText(record));
    }
    batch.done += records.count();
    return 0;
}

int Table::remove(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
                  CBSErrorMsg& error) const
{
    for (int i = 0; i < records.count(); ++i) {
        const CTvdBasicStructObject& record = records.element(i);
        const int position = batch.done + i + 1;
        if (!checkKeysSet(record, position, error) ||
            !checkNotReferenced(context, record, position, error))
            return 1;
        const std::int64_t changed =
            context.db.execCount("DELETE FROM " + name_ + keyWhere_, keyValues(record));
        if (changed != 1) {
            refuse(error, kRefusedNotFound,
                   changed == 0 ? "要删除的记录不存在" : "关键字匹配到多条记录", record, position);
            return 1;
        }
        context.auditKeys.push_back(name_ + " " + keyText(record));
    }
    batch.done += records.count();
    return 0;
}

void Table::seed(db::Driver& db, const secrets::SecretBox& box,
                 const CTvdBasicListObject& records) const
{
    const std::string sql = db.insertIgnoring(name_, columnNames_);
    for (int i = 0; i < records.count(); ++i) {
        Row row;
        for (const auto& c : columns_)
            row.push_back(valueOf(records.element(i), c, box));
        db.exec(sql, row);
    }
}

const std::vector<Table>& Tables()
{
    static const std::vector<Table> tables = [] {
        std::vector<Table> all;
        for (const auto& def : TableDefs())
            all.emplace_back(def);
        return all;
    }();
    return tables;
}

const Table& StoredTable(std::string_view name)
{
    for (const auto& table : Tables())
        if (table.name() == name)
            return table;
    throw std::logic_error("no table " + std::string(name));
}

} // namespace rsim::tables
