// Failed logins counted per login name (known or not): from the fifth failure in a row, the name
// is refused without a password check for a time that doubles with every further failure, from
// 30 seconds up to 15 minutes. A successful login clears the count.
#pragma once

#include "driver.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace rsim::sysmgnt {

constexpr std::int64_t kFailuresBeforeLock = 4;

// Seconds the name must still wait before its password is checked again; 0: it may try now.
std::int64_t secondsLocked(db::Driver& db, const std::string& loginName, std::time_t now);
// Counts a failure; returns the seconds the name is now locked for (0: not locked).
std::int64_t recordFailedLogin(db::Driver& db, const std::string& loginName, std::time_t now);
void clearFailedLogins(db::Driver& db, const std::string& loginName);

} // namespace rsim::sysmgnt
