// rsimd's schema as one ordered list of migrations (schema.cpp).
#pragma once

#include "migration.h"

namespace rsim::db {

const std::vector<Migration>& schemaMigrations();

} // namespace rsim::db
