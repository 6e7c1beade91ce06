// What rsimd does to its database before it serves, and how it ends when there is none to use.
#pragma once

#include "driver.h"
#include "sealed_columns.h"

#include <memory>
#include <string>
#include <vector>

namespace rsimd {

// Every column whose values are sealed: the start-up key check, sealing in place, rekey and
// backup all go over these.
std::vector<rsim::secrets::SealedColumn> sealedColumns();

// The exit status of a start that found no database to write to (none answers, or only a
// standby does, as while the cluster fails over): the service manager starts rsimd again.
// Status 2 is for what starting again does not cure (a bad setting, a newer schema).
constexpr int kDatabaseUnavailable = 75; // EX_TEMPFAIL

// Whether a start-up failure on the database at the address is one of kDatabaseUnavailable: a
// PostgreSQL server that does not answer or cannot take writes now. An SQLite file that does
// not open is a setting to fix.
bool databaseUnavailable(const rsim::db::Error& error, const std::string& address);

// A connection for the start-up that holds the schema lock until it closes, so that of the
// replicas starting together one migrates, seals and seeds at a time.
std::unique_ptr<rsim::db::Driver> connectForStartup(const std::string& address);

// Brings the database to this version's schema, opens the key file that its sealed values were
// sealed with (made there when the database is an SQLite file holding no sealed value), seals
// values an older version stored in plain, and seeds the demo data when asked; on the start-up
// connection. Returns the key.
rsim::secrets::SecretBox prepareDatabase(rsim::db::Driver& setup, const std::string& address,
                                         const std::string& keyFile, bool seedDemo);

} // namespace rsimd
