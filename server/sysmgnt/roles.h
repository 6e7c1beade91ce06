// Roles: named sets of the entity rights (privilege 10) that an operator holds.
//   query     every query, no write, no secret;
//   maintain  query, and the writes (with their secrets) of the reference tables and the card
//             inventory;
//   admin     every right, and the administration of operators.
#pragma once

#include "driver.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rsim::sysmgnt {

inline constexpr std::string_view kRoleNames[] = {"query", "maintain", "admin"};

// The entities of a role, sorted; empty for a name that is no role.
std::vector<int> roleRights(std::string_view role);
// The role whose rights the operator holds exactly, or "" when they are no role's.
std::string roleOf(db::Driver& db, std::int32_t opId);
// Replaces the operator's rights with the role's.
void grantRole(db::Driver& db, std::int32_t opId, std::string_view role);

} // namespace rsim::sysmgnt
