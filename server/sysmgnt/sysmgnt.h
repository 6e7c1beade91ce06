// The system-management services behind the public libraries: operators, rights, regions,
// counties, business halls, system parameters, code lists and the clock.
#pragma once

#include "driver.h"
#include "handler.h"
#include "secrets.h"

#include "sysmgnt_def_tvd_c.h"

#include <optional>
#include <string_view>

namespace rsim::sysmgnt {

void registerHandlers(HandlerTable& handlers);
// Adds the demo data and operators; throws on a database with operators other than the demo ones.
void seedDemo(db::Driver& db);
bool isDemoPassword(std::string_view password);
// Makes the first administrator of a database that has none, its password from
// RSIM_NEW_PASSWORD or typed twice on the terminal; returns the exit status (0: made).
int initAdministrator(db::Driver& db, const std::string& login);

struct OperatorLogin {
    MSysmgntDef::SOperator profile;
    std::string passwordHash;
};
// The operator of a login name, or nothing.
std::optional<OperatorLogin> findOperator(db::Driver& db, const std::string& loginName);
bool holdsRight(db::Driver& db, std::int32_t opId, std::int32_t entity, std::int32_t privilege);

} // namespace rsim::sysmgnt
