// The remote-SIM tables as the service sees them: their schema (migrations 100 and up), the
// handlers of the 47 remote-SIM operations and of the resource-code query, and demo data.
#pragma once

#include "handler.h"

#include "driver.h"
#include "secrets.h"

#include <vector>

namespace rsim::tables {

std::vector<db::Migration> schema();
void registerHandlers(HandlerTable& handlers);
// Idempotent: records whose key is stored already are left alone.
void seedDemo(db::Driver& db, const secrets::SecretBox& box);

} // namespace rsim::tables
