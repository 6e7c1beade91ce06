// One stored table, derived from its def and its record type: its columns and the four
// operations (table.cpp), their SQL and a query's plan (table_sql.cpp), the checks of a write
// (table_checks.cpp), the secret columns (table_secrets.cpp) and the writing of an answer
// (table_answer.cpp). Its columns are created by the schema's migrations
// (server/storage/schema.cpp).
#pragma once

#include "handler.h"
#include "table_def.h"

#include "driver.h"
#include "sealed_columns.h"
#include "secrets.h"

#include <unordered_set>

namespace rsim::tables {

struct ObjectText; // a record's JSON object, written straight from a row

class Table {
public:
    explicit Table(const TableDef& def);

    const TableDef& def() const { return def_; }
    const std::string& name() const { return name_; }
    // The entity whose modify right reveals the table's secrets in an answer; 0: it has none.
    std::int32_t revealEntity() const { return hasSecrets_ ? def_.table.rights.modify : 0; }

    // What one write call carries from a chunk of its records to the next.
    struct Batch {
        int done = 0; // records of the call in the chunks before
        // References found stored ("table\x1fvalue"), not looked up again.
        std::unordered_set<std::string> verified;
        // By unique set (uniqueSets_), the hashes of the values an add stored: 8 bytes a card,
        // read only to word a refusal, where a collision (about 1 in 10^13) would only call a
        // value stored before the batch one of the batch.
        std::vector<std::vector<std::uint64_t>> added;
    };

    // How one member of a criteria record filters the table.
    struct CriterionPlan {
        int member;         // of the criteria record
        std::string name;   // of that member
        std::string column; // of the table; empty for the row limit
        Filter filter;
        bool text;        // compared as text: a string or date member
        int sealedMember; // the record's member of a secret column, compared once read; or -1
        Format format;    // what a number-compared bound must be, like the values stored
    };
    // How the members of one criteria record type filter the table, worked out once per query
    // operation: its set members are then mapped without looking anything up.
    using QueryPlan = std::vector<CriterionPlan>;
    QueryPlan planQuery(const CTvdTypeInfo& criteriaType) const;

    // Refuses a criterion only when a number-compared bound is not a value of its column.
    int query(const QueryPlan& plan, CallContext& context, const CTvdBasicStructObject& criteria,
              CTvdBasicListObject& out, CBSErrorMsg& error) const;
    // A write of the next chunk of a call's records, refused at its first faulty record.
    int add(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
            CBSErrorMsg& error) const;
    int modify(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
               CBSErrorMsg& error) const;
    int remove(CallContext& context, const CTvdBasicListObject& records, Batch& batch,
               CBSErrorMsg& error) const;

    // Inserts records as they are (demo data); existing keys are left alone.
    void seed(db::Driver& db, const secrets::SecretBox& box,
              const CTvdBasicListObject& records) const;
    // One sample row when the table holds none, so that its window shows a row in the demo:
    // each member a value of its kind that its format takes, a reference the first key of the
    // table it names.
    void seedSample(db::Driver& db, const secrets::SecretBox& box) const;

private:
    struct Column {
        std::string name;
        int kind;
        int member;
        bool secret;     // a text sealed at rest
        int offset;      // of the member in a record
        std::string key; // of the member in an answer's object, after a comma: ",\"NAME\":"
        // Chosen once by the member's kind, not for each row: the member's value as stored; the
        // member read from a row's column appended to an answer's object, unless it is NULL or
        // the member's default; and the member read from a stored value as text.
        db::Value (*value)(const CTvdBasicStructObject& record, int offset);
        void (*answer)(const db::Columns::Cell& cell, std::string_view key, ObjectText& object);
        std::string (*text)(const db::Value& stored);
    };

    void checkNames() const;

    struct Selection;
    bool select(const QueryPlan& plan, CallContext& context, const CTvdBasicStructObject& criteria,
                Selection& selection, CBSErrorMsg& error) const;
    // Writes each row to the answer as a record of out, which holds none.
    void answerRows(CallContext& context, const Selection& selection, bool reveal,
                    const CTvdBasicListObject& out) const;

    friend std::vector<secrets::SealedColumn> sealedColumns();

    // Where a secret of the row with this key is sealed to.
    secrets::Place place(const Column& c, const db::Row& key) const;
    struct RowSecrets;
    // The key of the row of these cells into key and its secrets opened into revealed.
    void openRow(std::span<const db::Columns::Cell> cells, const secrets::SecretBox& box,
                 db::Row& key, RowSecrets& revealed) const;
    db::Value valueOf(const CTvdBasicStructObject& record, const Column& column,
                      const secrets::SecretBox& box) const;
    // The row of these cells (one per column) as the JSON object of its record. reveal: with its
    // secrets, opened (by column); otherwise they are left out.
    void writeRow(std::span<const db::Columns::Cell> cells, const std::vector<std::string>& opened,
                  bool reveal, std::string& out) const;
    db::Row keyValues(const CTvdBasicStructObject& record) const;
    std::string keyText(const CTvdBasicStructObject& record) const;
    // The audit key of the row of this key, its values as of the record read from them
    // ("rsim_sim IMSI=460001000000000").
    std::string auditKey(const db::Row& key) const;
    const Column& column(const std::string& name) const;

    // The members of a unique set's value as one text.
    std::string setKey(const CTvdBasicStructObject& record, const std::vector<int>& members) const;
    std::string setNames(const std::vector<int>& members) const;

    bool checkKeysSet(const CTvdBasicStructObject& record, int position, CBSErrorMsg& error) const;
    // The first refusal of a record, or an empty message; position is 1-based.
    bool checkRecord(CallContext& context, const CTvdBasicStructObject& record, int position,
                     std::unordered_set<std::string>& verified, CBSErrorMsg& error) const;
    bool checkRange(CallContext& context, const CTvdBasicStructObject& record, int position,
                    bool excludeSelf, CBSErrorMsg& error) const;
    // Also gives, by unique set, the hash of each record's value, for the batch's log.
    bool checkBatchDuplicates(const CTvdBasicListObject& records, int done,
                              std::vector<std::vector<std::uint64_t>>& hashes,
                              CBSErrorMsg& error) const;
    // Ranges of a batch that overlap one before them.
    bool checkBatchOverlaps(const CTvdBasicListObject& records, int done, CBSErrorMsg& error) const;
    // Stored values also hold those of the call's earlier chunks, which are refused as repeated
    // in the batch.
    bool checkStoredDuplicates(CallContext& context, const CTvdBasicListObject& records,
                               const Batch& batch, CBSErrorMsg& error) const;
    // The index of the first record whose value of the unique set is stored, or -1.
    int firstStored(CallContext& context, const CTvdBasicListObject& records,
                    const std::vector<int>& members) const;
    // A modify that gives a unique member the value another record holds.
    bool checkUniquesKept(CallContext& context, const CTvdBasicStructObject& record, int position,
                          CBSErrorMsg& error) const;
    bool checkNotReferenced(CallContext& context, const CTvdBasicStructObject& record, int position,
                            CBSErrorMsg& error) const;
    void refuse(CBSErrorMsg& error, int minor, const std::string& message,
                const CTvdBasicStructObject& record, int position) const;

    const TableDef& def_;
    std::string name_;
    std::vector<std::string> keyNames_;
    std::vector<Column> columns_;
    std::vector<int> keyColumns_;
    std::vector<int> answerOrder_; // the columns in the order of their names, as answers have them
    bool hasSecrets_ = false;
    // Its SQL, built once: every column in member order, the key as a WHERE clause, the order
    // of a query's rows.
    std::vector<std::string> columnNames_;
    std::string selectColumns_; // "SELECT …, … FROM table"
    std::string keyWhere_;      // " WHERE key1 = ? AND key2 = ?"
    std::string keyExists_;     // "SELECT 1 FROM table" and the key's WHERE
    std::string orderBy_;       // " ORDER BY …"
    // The sets of members whose values are unique: the key, then each further unique member.
    std::vector<std::vector<int>> uniqueSets_;
};

// Every table, in the order of their defs.
const std::vector<Table>& Tables();
const Table& StoredTable(std::string_view name);
// The table of records R.
template <class R>
const Table& StoredTable()
{
    return StoredTable(rsimcatalog::TableOf<R>().name);
}

// The columns of every table whose values are sealed.
std::vector<secrets::SealedColumn> sealedColumns();
// Demo data of the remote-SIM tables.
void seedDemo(db::Driver& db, const secrets::SecretBox& box);
void registerHandlers(HandlerTable& handlers);

} // namespace rsim::tables
