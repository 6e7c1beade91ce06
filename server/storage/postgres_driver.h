#pragma once

#include "driver.h"

namespace rsim::db {

// libpqxx; large batches go through COPY.
std::unique_ptr<Driver> openPostgres(const std::string& address);

} // namespace rsim::db
