// One stored table, derived from its def and its record type: row mapping, the four operations
// and their checks. Its columns are created by the schema's migrations (server/storage/schema.cpp).
#pragma once

#include "handler.h"
#include "table_def.h"

#include "driver.h"
#include "secrets.h"

#include <unordered_set>

namespace rsim::tables {

class Table {
public:
    explicit Table(const TableDef& def);

    const TableDef& def() const { return def_; }
    const std::string& name() const { return name_; }

    int query(CallContext& context, const CTvdBasicStructObject& criteria, CTvdBasicListObject& out,
              CBSErrorMsg& error) const;
    int add(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const;
    int modify(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const;
    int remove(CallContext& context, const CTvdBasicListObject& records, CBSErrorMsg& error) const;

    // Seals the secret values that an older version stored in plain; returns how many.
    std::int64_t sealPlainSecrets(db::Driver& db, const secrets::SecretBox& box) const;
    // Inserts records as they are (demo data); existing keys are left alone.
    void seed(db::Driver& db, const secrets::SecretBox& box,
              const CTvdBasicListObject& records) const;

private:
    struct Column {
        std::string name;
        int kind;
        int member;
        bool secret;
    };

    db::Value valueOf(const CTvdBasicStructObject& record, const Column& column,
                      const secrets::SecretBox& box) const;
    // reveal: decrypt the secret members; otherwise they stay unset.
    void readRow(const db::Row& row, CTvdBasicStructObject& record, const secrets::SecretBox& box,
                 bool reveal) const;
    db::Row keyValues(const CTvdBasicStructObject& record) const;
    std::string keyText(const CTvdBasicStructObject& record) const;
    std::string keyWhere() const;
    const Column& column(const std::string& name) const;

    // The first refusal of a record, or an empty message; position is 1-based.
    // References found stored once in a batch ("table\x1fvalue") are not looked up again.
    using VerifiedReferences = std::unordered_set<std::string>;
    bool checkRecord(CallContext& context, const CTvdBasicStructObject& record, int position,
                     VerifiedReferences& verified, CBSErrorMsg& error) const;
    bool checkRange(CallContext& context, const CTvdBasicStructObject& record, int position,
                    bool excludeSelf, CBSErrorMsg& error) const;
    bool checkBatchDuplicates(const CTvdBasicListObject& records, CBSErrorMsg& error) const;
    bool checkStoredDuplicates(CallContext& context, const CTvdBasicListObject& records,
                               CBSErrorMsg& error) const;
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
};

// Every table, in the order of their defs.
const std::vector<Table>& Tables();
const Table& TableOf(const std::string& name);

// Seals, in one transaction, every secret value stored in plain by an older version (the
// authentication-card passwords and library keys were not sealed before); returns how many.
std::int64_t sealPlainSecrets(db::Driver& db, const secrets::SecretBox& box);
// Demo data of the remote-SIM tables.
void seedDemo(db::Driver& db, const secrets::SecretBox& box);
void registerHandlers(HandlerTable& handlers);

} // namespace rsim::tables
