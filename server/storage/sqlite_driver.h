#pragma once

#include "driver.h"

namespace rsim::db {

// WAL synced at every commit, foreign keys on, and a busy timeout so that concurrent writers wait
// instead of failing.
std::unique_ptr<Driver> openSqlite(const std::string& path);

} // namespace rsim::db
