// Login sessions, kept in the table sys_session so that any service process sharing the
// database accepts them. A session lives 12 hours after its last use.
#pragma once

#include "driver.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace rsim::sessions {

constexpr std::chrono::hours kLifetime{12};

struct SessionOperator {
    std::int32_t opId;
    std::int32_t orgId;
};

// A new session of the operator; also forgets the expired sessions of every operator.
std::string open(db::Driver& db, std::int32_t opId);
// The operator of a live session whose operator is not locked, or nothing. Extends the session
// (written at most once every few minutes, so that queries seldom write).
std::optional<SessionOperator> resolve(db::Driver& db, const std::string& token);
void close(db::Driver& db, const std::string& token);

// "YYYY-MM-DD HH:MM:SS" in UTC: the form of EXPIRES, which sorts as text.
std::string utcText(std::chrono::system_clock::time_point when);

} // namespace rsim::sessions
