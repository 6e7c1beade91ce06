// What the remote-SIM table benchmarks share: fresh databases, handler calls as the dispatcher
// makes them, timing and the printed figures.
#pragma once

#include "driver.h"
#include "handler.h"
#include "secrets.h"
#include "tvd_json.h"

#include "ResRemoteSimMgnt_def_tvd_c.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace tablesbench {

// A database with the remote-SIM schema and demo data: a new SQLite file, or a new schema on
// the PostgreSQL server named by RSIM_TEST_PG. Removed when the object goes.
class BenchDatabase {
public:
    enum class Backend { Sqlite, Postgres };
    explicit BenchDatabase(Backend backend);
    ~BenchDatabase();
    BenchDatabase(const BenchDatabase&) = delete;
    BenchDatabase& operator=(const BenchDatabase&) = delete;

    rsim::db::Driver& db() { return *db_; }
    const rsim::secrets::SecretBox& box() const { return box_; }
    const char* name() const { return backend_ == Backend::Sqlite ? "SQLite" : "PostgreSQL"; }

private:
    Backend backend_;
    std::string place_; // SQLite: the folder; PostgreSQL: the schema
    std::unique_ptr<rsim::db::Driver> db_;
    rsim::secrets::SecretBox box_;
};

// Calls the registered handler of a remote-SIM operation with the in-object (and out-object);
// writes run in a transaction committed on success. Throws when the handler refuses.
void callHandler(rsim::db::Driver& db, const rsim::secrets::SecretBox& box, const char* code,
                 tvd::wire::OwnedParams& in, tvd::wire::OwnedParams& out);

// Cards 4600099nnnnnnnn that pass every check (demo card type and vendor).
MResRemoteMgntDef::SRemoteSimInfoList cards(int count);
// The rows the table stores for the cards (secrets encrypted), and its columns, for insertMany.
std::vector<rsim::db::Row> storedRows(const MResRemoteMgntDef::SRemoteSimInfoList& records,
                                      const rsim::secrets::SecretBox& box);
std::vector<std::string> simColumns();

double millisecondsOf(const std::function<void()>& work);
void report(const std::string& name, double ms, double baselineMs);

} // namespace tablesbench
