// Failed logins, counted per (login name, source address) and per source address, so that
// guesses from one address slow down only that address, never the owner of the name logging in
// from another. Only an attempt whose password was checked and found wrong counts: attempts
// that come together with the right password all log in. Counts decay by one every ten minutes.
// Past a few free failures, the next attempt waits a delay that doubles from 30 seconds up to 15
// minutes after the last failure; an attempt within its delay is told how long it must wait,
// without a password check.
#pragma once

#include "driver.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace rsim::sysmgnt {

// Failures a (name, address) pair and an address may have before delays begin.
constexpr std::int64_t kFreeFailuresPerName = 4;
constexpr std::int64_t kFreeFailuresPerSource = 10;
// Seconds after which one failure is forgiven.
constexpr std::int64_t kForgiveSeconds = 600;

// Seconds an attempt of the name from the source must wait before its password may be checked;
// 0: it may be checked now.
std::int64_t loginWait(db::Driver& db, const std::string& loginName, const std::string& source,
                       std::time_t now);
// The attempt failed: it counts against the pair and the address.
void loginFailed(db::Driver& db, const std::string& loginName, const std::string& source,
                 std::time_t now);
// The password was right: the pair's failures are forgotten.
void loginSucceeded(db::Driver& db, const std::string& loginName, const std::string& source);
// Clears the throttling of a login name from every address (an administrator's unlock).
void clearFailedLogins(db::Driver& db, const std::string& loginName);
// Deletes the counts that have decayed to nothing: names that never existed leave no row for
// long.
void purgeFailedLogins(db::Driver& db, std::time_t now);

} // namespace rsim::sysmgnt
