// Numbered schema migrations, applied in order, each once, each in a transaction of its own.
#pragma once

#include "driver.h"

#include <string>
#include <vector>

namespace rsim::db {

// A released migration is never edited: a change of the schema is a new migration with a
// higher version. Its statements must run on both SQLite and PostgreSQL.
struct Migration {
    int version;
    std::string description;
    std::vector<std::string> statements;
};

// Brings the database to the last version of migrations (listed in ascending order): applies
// each one that the table schema_version does not list yet, in its own transaction, and records
// its version there. Holds the driver's schema lock meanwhile, so that processes starting
// together on one database migrate it once. Throws Error, leaving the database at the last
// version applied, when a migration fails, when the database is at a version newer than the
// list knows, or when a missing version is older than one applied already.
void migrate(Driver& driver, const std::vector<Migration>& migrations);

} // namespace rsim::db
