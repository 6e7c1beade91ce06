// One line per call on stderr (the journal under systemd): a JSON object that log shippers and
// `journalctl -o cat | jq` read, with no secret and no body in it. Also counts the call.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace rsim::metrics {

struct CallRecord {
    std::string_view requestId; // X-Tav-Request-Id as the client sent it: cut and escaped
    std::int32_t opId = 0;      // 0: no session known
    std::string_view operation; // an operation code, "login" or "logout"
    int status = 200;
    int result = 0;
    std::chrono::steady_clock::duration duration{};
    std::int64_t rows = 0; // records answered or written
};

// "ok", "refused" (a business refusal), "fault" (4xx) or "error" (5xx).
std::string_view resultOf(int status, int result);

// The line, without its newline; time is when the call ended.
std::string logLine(const CallRecord& call, std::chrono::system_clock::time_point time);

// Counts the call and writes its line.
void callEnded(const CallRecord& call);

} // namespace rsim::metrics
