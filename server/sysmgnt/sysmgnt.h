// The system-management services behind the public libraries: operators, rights, regions,
// counties, business halls, system parameters, code lists and the clock.
#pragma once

#include "driver.h"
#include "handler.h"
#include "secrets.h"

#include "sysmgnt_def_tvd_c.h"

#include <optional>

namespace rsim::sysmgnt {

void registerHandlers(HandlerTable& handlers);
void seedDemo(db::Driver& db);

struct OperatorLogin {
    MSysmgntDef::SOperator profile;
    std::string passwordHash;
};
// The operator of a login name, or nothing.
std::optional<OperatorLogin> findOperator(db::Driver& db, const std::string& loginName);
bool holdsRight(db::Driver& db, std::int32_t opId, std::int32_t entity, std::int32_t privilege);

} // namespace rsim::sysmgnt
