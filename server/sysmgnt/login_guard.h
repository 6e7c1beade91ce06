// Failed logins, counted per (login name, source address) and per source address, so that
// guesses from one address slow down only that address, never the owner of the name logging in
// from another. Counts decay by one every ten minutes. Past a few free failures, each further
// attempt waits a delay that doubles from 30 seconds up to 15 minutes after the one before it;
// an attempt within its delay is refused without a password check, answered as a wrong password.
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

// Counts the attempt as a failure before its password is checked, so that concurrent guesses
// count against each other; returns whether the password may be checked now.
bool admitLoginAttempt(db::Driver& db, const std::string& loginName, const std::string& source,
                       std::time_t now);
// The password was right: the pair's failures are forgotten and the address's count loses the
// attempt admitLoginAttempt() counted.
void loginSucceeded(db::Driver& db, const std::string& loginName, const std::string& source);
// Clears the throttling of a login name from every address (an administrator's unlock).
void clearFailedLogins(db::Driver& db, const std::string& loginName);
// Deletes the counts that have decayed to nothing: names that never existed leave no row for
// long.
void purgeFailedLogins(db::Driver& db, std::time_t now);

} // namespace rsim::sysmgnt
