#include "stored_table.h"

#include "formats.h"

#include <algorithm>
#include <stdexcept>

namespace rsim::tables {
namespace {

using Addresses = std::array<void*, CTvdBasicStructObject::kMaxMembers>;

Addresses addressesOf(const CTvdBasicStructObject& record)
{
    Addresses addresses{};
    // get_members only reports where the members are; it changes nothing.
    const_cast<CTvdBasicStructObject&>(record).get_members(addresses.data());
    return addresses;
}

const MemberRule* ruleOf(const TableDef& def, const std::string& member)
{
    for (const auto& rule : def.rules)
        if (rule.member == member)
            return &rule;
    return nullptr;
}

std::string sqlType(const Column& column)
{
    if (column.integer())
        return "BIGINT NOT NULL DEFAULT 0";
    // Dates are text "YYYY-MM-DD HH:MM:SS", which sorts in time order; no date is NULL.
    return column.kind == TVD_STRING ? "TEXT NOT NULL DEFAULT ''" : "TEXT";
}

std::string joined(const std::vector<std::string>& names, const std::string& separator)
{
    std::string text;
    for (const auto& name : names)
        text += (text.empty() ? "" : separator) + name;
    return text;
}

} // namespace

Table::Table(const TableDef& def) : def_(def)
{
    const STvdMemberTypeInfo* members = def.recordType()->memberTable();
    for (int i = 0; members[i].kind != TVD_END; ++i) {
        const MemberRule* rule = ruleOf(def, members[i].name);
        columns_.push_back({members[i].name, members[i].kind, rule ? rule->format : Format::Any,
                            rule && rule->required, rule && rule->secret});
    }
    keys_ = columnsOf(def.keys);
}

int Table::column(std::string_view name) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].name == name)
            return static_cast<int>(i);
    throw std::logic_error(def_.table + " has no column " + std::string(name));
}

std::vector<int> Table::columnsOf(const std::vector<std::string>& names) const
{
    std::vector<int> indexes;
    for (const auto& name : names)
        indexes.push_back(column(name));
    return indexes;
}

std::vector<std::string> Table::schema() const
{
    std::string create = "CREATE TABLE " + def_.table + " (";
    for (const auto& c : columns_)
        create += c.name + " " + sqlType(c) + ", ";
    std::vector<std::string> statements{create + "PRIMARY KEY (" + joined(def_.keys, ", ") + "))"};
    for (const auto& unique : def_.uniques)
        statements.push_back("CREATE UNIQUE INDEX " + def_.table + "_" + unique + " ON " + def_.table +
                             " (" + unique + ")");
    // Deleting a referenced record looks its referrers up by these members.
    for (const auto& reference : def_.references)
        if (reference.members != def_.keys)
            statements.push_back("CREATE INDEX " + def_.table + "_" + joined(reference.members, "_") + " ON " +
                                 def_.table + " (" + joined(reference.members, ", ") + ")");
    return statements;
}

db::Row Table::rowOf(const CTvdBasicStructObject& record) const
{
    const Addresses addresses = addressesOf(record);
    db::Row row;
    row.reserve(columns_.size());
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        const void* address = addresses[i];
        switch (columns_[i].kind) {
        case TVD_STRING:
            row.emplace_back(normalised(columns_[i].format, *static_cast<const std::string*>(address)));
            break;
        case TVD_INT16: row.emplace_back(std::int64_t{*static_cast<const std::int16_t*>(address)}); break;
        case TVD_INT32: row.emplace_back(std::int64_t{*static_cast<const std::int32_t*>(address)}); break;
        case TVD_INT64: row.emplace_back(*static_cast<const std::int64_t*>(address)); break;
        default: {
            const auto& date = *static_cast<const CBSDateTime*>(address);
            row.emplace_back(date.isNull() ? db::Value{} : db::Value{date.toWire()});
        }
        }
    }
    return row;
}

Batch Table::batchOf(const CTvdBasicListObject& records) const
{
    Batch batch;
    batch.rows.reserve(static_cast<std::size_t>(records.count()));
    batch.setMembers.reserve(batch.rows.capacity());
    for (int i = 0; i < records.count(); ++i) {
        batch.rows.push_back(rowOf(records.element(i)));
        batch.setMembers.push_back(records.element(i).mask(0));
    }
    return batch;
}

void Table::readRow(const db::Row& row, CTvdBasicStructObject& record, const secrets::SecretBox& box) const
{
    const Addresses addresses = addressesOf(record);
    for (std::size_t i = 0; i < columns_.size(); ++i) {
        void* address = addresses[i];
        switch (columns_[i].kind) {
        case TVD_STRING: {
            std::string text = db::asText(row[i]);
            *static_cast<std::string*>(address) = columns_[i].secret ? box.decrypt(text) : std::move(text);
            break;
        }
        case TVD_INT16: *static_cast<std::int16_t*>(address) = static_cast<std::int16_t>(db::asInt(row[i])); break;
        case TVD_INT32: *static_cast<std::int32_t*>(address) = static_cast<std::int32_t>(db::asInt(row[i])); break;
        case TVD_INT64: *static_cast<std::int64_t*>(address) = db::asInt(row[i]); break;
        default: CBSDateTime::fromWire(db::asText(row[i]), *static_cast<CBSDateTime*>(address));
        }
        record.markSet(static_cast<int>(i));
    }
}

void Table::encryptSecrets(db::Row& row, const secrets::SecretBox& box) const
{
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].secret)
            row[i] = box.encrypt(db::asText(row[i]));
}

std::string Table::describe(const db::Row& row, const std::vector<int>& columns) const
{
    std::string text;
    for (int c : columns)
        text += (text.empty() ? "" : ",") + columns_[static_cast<std::size_t>(c)].name + "=" +
                db::asText(row[static_cast<std::size_t>(c)]);
    return text;
}

std::string Table::describeKey(const db::Row& key) const
{
    std::string text;
    for (std::size_t k = 0; k < key.size(); ++k)
        text += (k ? "," : "") + columns_[static_cast<std::size_t>(keys_[k])].name + "=" + db::asText(key[k]);
    return text;
}

void Table::seed(db::Driver& db, const secrets::SecretBox& box, const CTvdBasicListObject& records) const
{
    std::vector<std::string> names;
    for (const auto& c : columns_)
        names.push_back(c.name);
    const std::string sql = db.insertIgnoring(def_.table, names);
    Batch batch = batchOf(records);
    for (auto& row : batch.rows) {
        encryptSecrets(row, box);
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

const Table& TableOf(std::string_view name)
{
    for (const auto& table : Tables())
        if (table.def().table == name)
            return table;
    throw std::logic_error("no table " + std::string(name));
}

} // namespace rsim::tables
