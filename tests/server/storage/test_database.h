// A fresh database for one test, on SQLite or PostgreSQL, removed when the object goes.
#pragma once

#include "driver.h"

#include <memory>
#include <ostream>
#include <string>

namespace rsim::db {
// Names the kind in test failure messages.
inline void PrintTo(Error::Kind kind, std::ostream* out)
{
    constexpr const char* names[] = {"Unique", "ForeignKey", "Busy", "Connection", "Other"};
    *out << "Error::Kind::" << names[static_cast<int>(kind)];
}
} // namespace rsim::db

namespace storagetest {

class TestDatabase {
public:
    virtual ~TestDatabase() = default;
    // A new connection to this test's database.
    virtual std::unique_ptr<rsim::db::Driver> open() = 0;
};

// A temporary file.
std::unique_ptr<TestDatabase> sqliteDatabase();
// A schema of its own on the server named by RSIM_TEST_PG; nullptr when that is not set.
std::unique_ptr<TestDatabase> postgresDatabase();

inline constexpr const char* kNoPostgres =
    "RSIM_TEST_PG is not set, so there is no PostgreSQL server for this run "
    "(scripts/test.sh starts one; or set it to postgresql://USER@HOST:PORT/DB)";

} // namespace storagetest
