// What the service answers a request.
#pragma once

#include <cstdint>
#include <string>

namespace rsim {

// An HTTP status and the JSON text of the answer.
struct Answer {
    Answer(int status, std::string body) : status(status), body(std::move(body)) {}
    int status;
    std::string body;
    std::int64_t retryAfter = 0; // seconds, sent as Retry-After when positive
    // For the call log and the metrics: the answer's result, the caller's operator once its
    // session is known, and the records answered or written.
    int result = 0;
    std::int32_t opId = 0;
    std::int64_t rows = 0;
};

} // namespace rsim
