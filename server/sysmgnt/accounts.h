// Operators' accounts: who may log in with what, new operators, and the operations that
// administer them over the wire (each needs the administration right and is audited).
#pragma once

#include "driver.h"
#include "handler.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace rsim::sysmgnt {

// Why a login name cannot be used, or "" when it can.
std::string loginNameProblem(std::string_view login);
// Why a password is too weak for the login name, or "" when it is not: at least 10 characters,
// not the login name, not one of the demo operators' passwords.
std::string passwordProblem(std::string_view login, std::string_view password);

struct NewOperator {
    std::string login;
    std::string name;
    std::string role;
    std::string password;
    std::int32_t region = 0;
    std::int32_t county = 0;
    std::int32_t org = 0;
};
// Stores an operator with its role's rights, unlocked; returns its number. The caller has
// checked the name, the role and the password.
std::int32_t addOperator(db::Driver& db, const NewOperator& op);
// Whether some unlocked operator holds the administration right.
bool hasAdministrator(db::Driver& db);

void registerAccountHandlers(HandlerTable& handlers);

} // namespace rsim::sysmgnt
