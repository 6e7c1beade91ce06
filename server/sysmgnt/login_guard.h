// Failed logins, counted per (login name, source address) and per source address, so that
// guesses from one address slow down only that address, never the owner of the name logging in
// from another; an IPv6 address is counted by its /64, which one holder gets whole. Guesses at
// one name from many addresses are counted per name as well: past a high limit, the name's new
// addresses wait, and only those from which it logged in within the last weeks go on as before,
// so that its owner is not locked out. Only an attempt whose password was checked and found wrong
// counts: attempts that come together with the right password all log in. Counts decay by one every
// ten minutes. Past a few free failures, the next attempt waits a delay that doubles from 30
// seconds up to 15 minutes after the last failure; an attempt within its delay is told how long it
// must wait, without a password check.
#pragma once

#include "driver.h"

#include <cstdint>
#include <ctime>
#include <string>

namespace rsim::sysmgnt {

// Failures a (name, address) pair and an address may have before delays begin.
constexpr std::int64_t kFreeFailuresPerName = 4;
constexpr std::int64_t kFreeFailuresPerSource = 10;
// Failures of a name from all addresses before its new addresses wait.
constexpr std::int64_t kFreeFailuresPerNameEverywhere = 100;
// Seconds during which an address the name logged in from stays known: four weeks.
constexpr std::int64_t kKnownSourceSeconds = 28 * 86400;
// Seconds after which one failure is forgiven.
constexpr std::int64_t kForgiveSeconds = 600;

// The key an address is counted by: an IPv6 address's /64 ("2001:db8:1:2::/64"), an IPv4
// address as it is, also when mapped into IPv6.
std::string sourceKey(const std::string& address);
// Seconds an attempt of the name from the source must wait before its password may be checked;
// 0: it may be checked now.
std::int64_t loginWait(db::Driver& db, const std::string& loginName, const std::string& source,
                       std::time_t now);
// The attempt failed: it counts against the address, and against the name (loginName: an
// operator's, or "" for a name no operator has). Returns whether the name's failures from all
// addresses have just passed their limit.
bool loginFailed(db::Driver& db, const std::string& loginName, const std::string& source,
                 std::time_t now);
// The password was right: the pair's failures are forgotten, and the address becomes known.
void loginSucceeded(db::Driver& db, const std::string& loginName, const std::string& source,
                    std::time_t now);
// Clears the throttling of a login name from every address (an administrator's unlock).
void clearFailedLogins(db::Driver& db, const std::string& loginName);
// Deletes the counts that have decayed to nothing (names that never existed leave no row for
// long) and the addresses no longer known.
void purgeFailedLogins(db::Driver& db, std::time_t now);

} // namespace rsim::sysmgnt
