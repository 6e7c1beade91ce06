// rsimd's metrics, served in the Prometheus text format. Every count goes through these
// functions; labels take only bounded values (operation codes, results), never a login name, an
// IMSI or any other text a client chooses.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace rsim::metrics {

// Counting is on unless turned off at start-up (rsimd --no-metrics); off, every count below
// returns at once.
void disable();
bool enabled();

// A call answered: its operation code (or "login", "logout"), its result and how long it took.
// Results: "ok", "refused" (a business refusal), "fault" (4xx), "error" (5xx).
void callAnswered(std::string_view operation, std::string_view result, double seconds);
// A login refused for a wrong name or password, or a locked name.
void loginFailed();
// A login name whose failures from all addresses passed their limit: its new addresses wait.
void loginNameLimited();
// A sealed value (KI, password, key, secret parameter) opened.
void sealedValueRead();

// What is read when the metrics are asked for.
struct Gauges {
    std::size_t connectionsInUse = 0;
    std::size_t connectionsWaited = 0; // callers waiting for a pooled connection
    std::size_t requestsInFlight = 0;
    std::size_t bodyBytesHeld = 0;
    std::optional<std::int64_t> liveSessions; // nothing: not read this time, the last value stays
    bool storageFull =
        false; // the last write refused for a full storage came after the last stored
};

// Every metric, in the text exposition format (version 0.0.4).
std::string text(const Gauges& gauges);

} // namespace rsim::metrics
