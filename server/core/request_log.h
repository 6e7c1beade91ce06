// The answers of stored writes by the ids their clients gave them (X-Tav-Request-Id), one set of
// ids per operator. A client sends a write again when its answer was lost on the way; the repeat
// is answered with the first answer and applied no second time. Each id is kept with a digest
// of its operation and body, so that an id reused for another request is told apart. Each call
// takes its id in the transaction of its write, so that a repeat sent while the first is still
// running waits for it on the id's unique key, and then fails on it and reads the first answer.
#pragma once

#include "answer.h"
#include "driver.h"

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace rsim::requestlog {

// How long an id is kept: far longer than a client goes on retrying.
inline constexpr std::int64_t kKeptSeconds = 24 * 3600;

// 1 to 64 letters, digits, '-' and '_'.
bool validId(std::string_view id);
// What comes before a request's body in the digest its id is kept with: the SHA-256, in hex,
// of this text and the body, taken as the body arrives (RequestBody::digest).
std::string digestPrefix(std::string_view operation);
// The answer stored for the operator's write of that id, and its request's digest ("" when it
// was kept without one).
struct Kept {
    Answer answer;
    std::string digest;
};
std::optional<Kept> find(db::Driver& db, std::int32_t opId, const std::string& id);
// Takes the id for the request of that digest in the connection's transaction; throws db::Error
// of kind Unique when another write took it first.
void claim(db::Driver& db, std::int32_t opId, const std::string& id, const std::string& digest,
           std::time_t now);
// Stores the answer of the write that claimed the id, in the same transaction.
void keep(db::Driver& db, std::int32_t opId, const std::string& id, const Answer& answer);
// Deletes the ids older than kKeptSeconds.
void purgeExpired(db::Driver& db, std::time_t now);

} // namespace rsim::requestlog
