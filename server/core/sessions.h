// Sessions of logged-in operators. The client holds a random token; the database holds only its
// digest, the operator, and two expiries: an idle one that slides with use and an absolute one
// set at login that nothing moves.
#pragma once

#include "driver.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

namespace rsim {

struct SessionPolicy {
    std::chrono::seconds idle = std::chrono::minutes(60);
    std::chrono::seconds longest = std::chrono::hours(12);
};

// The entity rights (privilege 10) a call needs, read in the statement that finds its session so
// that a call makes one trip for both; 0: none.
using RightsAsked = std::array<std::int32_t, 2>;

struct SessionOwner {
    std::int32_t opId = 0;
    std::int32_t orgId = 0;
    RightsAsked asked{};
    std::array<bool, 2> held{}; // whether the operator held each right asked when it was read

    // Whether the operator held the entity's right, when it was read with the session.
    std::optional<bool> holds(std::int32_t entity) const;
};

class Sessions {
public:
    explicit Sessions(SessionPolicy policy) : policy_(policy) {}

    // A new session of the operator; returns its token.
    std::string open(db::Driver& db, std::int32_t opId, std::time_t now);
    // The operator of a live session whose operator is not locked, with the rights asked, sliding
    // its idle expiry (written at most every few minutes, so that reads stay free of writes);
    // nothing otherwise.
    std::optional<SessionOwner> find(db::Driver& db, const std::string& token, std::time_t now,
                                     const RightsAsked& asked = {});
    // The operator of the session it ends (0: there was none).
    std::int32_t close(db::Driver& db, const std::string& token);
    // Deletes the sessions past either expiry.
    void purgeExpired(db::Driver& db, std::time_t now);
    // Sessions within both expiries.
    static std::int64_t live(db::Driver& db, std::time_t now);

private:
    // Seconds between two writes of a session's sliding expiry.
    std::int64_t renewStep() const;

    const SessionPolicy policy_;
};

} // namespace rsim
