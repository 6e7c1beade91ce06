// One stored table, derived once from its definition and its record type: the columns (one per
// member, in member order), the schema, the mapping of records to rows and back, and the four
// operations.
#pragma once

#include "handler.h"
#include "table_def.h"

#include "driver.h"
#include "secrets.h"

#include <optional>
#include <string_view>

namespace rsim::tables {

struct Column {
    std::string name;
    int kind; // TVD_STRING, TVD_INT16, TVD_INT32, TVD_INT64 or TVD_DATETIME
    Format format;
    bool required;
    bool secret;
    bool integer() const { return kind == TVD_INT16 || kind == TVD_INT32 || kind == TVD_INT64; }
};

// The records of a write as rows: plain (not yet encrypted), normalised values of every column,
// and which members each record set.
struct Batch {
    std::vector<db::Row> rows;
    std::vector<std::uint64_t> setMembers;
    bool isSet(std::size_t record, int column) const { return (setMembers[record] >> column) & 1U; }
};

// Why a write is refused: what is wrong, and with which record of the batch.
struct Refusal {
    std::int32_t minor;
    std::string message;
    std::size_t record;
};

enum class Write { Add, Modify, Remove };

class Table {
public:
    explicit Table(const TableDef& def);

    const TableDef& def() const { return def_; }
    const std::vector<Column>& columns() const { return columns_; }
    const std::vector<int>& keys() const { return keys_; }
    // Index of the column of that name; a definition naming a member the record lacks is a bug.
    int column(std::string_view name) const;
    std::vector<int> columnsOf(const std::vector<std::string>& names) const;
    std::vector<std::string> schema() const;

    Batch batchOf(const CTvdBasicListObject& records) const;
    void readRow(const db::Row& row, CTvdBasicStructObject& record, const secrets::SecretBox& box) const;
    void encryptSecrets(db::Row& row, const secrets::SecretBox& box) const;
    // "NAME=value,…" of the columns of a row.
    std::string describe(const db::Row& row, const std::vector<int>& columns) const;
    // "NAME=value,…" of a key given as its values in key order.
    std::string describeKey(const db::Row& key) const;

    int query(CallContext& context, const CTvdBasicStructObject& criteria, CTvdBasicListObject& out) const;
    int add(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const;
    int modify(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const;
    int remove(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const;
    // Stores records as they are (demo data), leaving alone those whose key is stored already.
    void seed(db::Driver& db, const secrets::SecretBox& box, const CTvdBasicListObject& records) const;

private:
    db::Row rowOf(const CTvdBasicStructObject& record) const;
    void stamp(Batch& batch, Write write, const CallContext& context) const;
    void insert(CallContext& context, Batch& batch) const;
    void update(CallContext& context, Batch& batch) const;
    void erase(CallContext& context, const Batch& batch) const;
    int finish(CallContext& context, const Batch& batch, const std::optional<Refusal>& refusal,
               CBSErrorMsg& error) const;

    const TableDef& def_;
    std::vector<Column> columns_;
    std::vector<int> keys_;
};

// Every table, in the order of their definitions.
const std::vector<Table>& Tables();
const Table& TableOf(std::string_view name);

} // namespace rsim::tables
