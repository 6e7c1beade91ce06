// The call log's line is the JSON object of its members as nlohmann's serializer writes it, byte
// for byte: whatever id a client sends, however long the call took, whenever it ended.
#include "call_log.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <ctime>

namespace {

using namespace std::chrono;
using rsim::metrics::CallRecord;

std::string treeLine(const CallRecord& call, system_clock::time_point time)
{
    const std::time_t seconds = system_clock::to_time_t(time);
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char utc[40];
    const std::size_t n = std::strftime(utc, sizeof utc, "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(utc + n, sizeof utc - n, ".%03dZ",
                  static_cast<int>(duration_cast<milliseconds>(time.time_since_epoch()) % 1000 /
                                   milliseconds(1)));
    const nlohmann::ordered_json line{
        {"time", utc},
        {"requestId", std::string(call.requestId.substr(0, 64))},
        {"operator", call.opId},
        {"operation", std::string(call.operation)},
        {"status", call.status},
        {"result", std::string(rsim::metrics::resultOf(call.status, call.result))},
        {"code", call.result},
        {"durationMs", std::round(duration<double>(call.duration).count() * 1e5) / 100},
        {"rows", call.rows}};
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

TEST(CallLog, LineIsTheJsonTreeOfItsMembersWhateverTheClientSent)
{
    const std::string ids[] = {
        "",
        "5f0c2a9e-31d4-4b7e-9a61-0c8e2f4d7b13",
        "a \"quoted\" id",
        "back\\slash" + std::string(500, 'i'), // cut at 64
        std::string(63, 'a') + "中",           // cut inside a character
        "bad \xff\xfe\xc3( and \xe4\xb8 end \xf0\x9f",
        "tab\tand unit\x1fseparator", // a short escape, and the last byte JSON escapes
    };
    const system_clock::time_point times[] = {
        system_clock::time_point{}, sys_days{2024y / February / 29} + 23h + 59min + 59s + 999ms,
        system_clock::now()};
    for (const auto& id : ids)
        for (const auto time : times) {
            const CallRecord call{id, 2307, "RMOSMQ28", 200, 0, 1234567us, 50};
            EXPECT_EQ(rsim::metrics::logLine(call, time), treeLine(call, time));
        }
    const CallRecord refusals[] = {{"r", 0, "unknown", 404, 0, {}, 0},
                                   {"r", 1, "login", 200, 8, 5us, 0},
                                   {"r", -1, "RMOSMQ29", 503, -1, 3600s, INT64_MAX}};
    for (const auto& call : refusals)
        EXPECT_EQ(rsim::metrics::logLine(call, times[1]), treeLine(call, times[1]));
    // Every hundredth of a millisecond up to 3 s, and long calls up to a day.
    for (auto took = 0us; took < 3s; took += 10us) {
        const CallRecord call{"r", 1, "RMOSMQ28", 200, 0, took + 4us, 1};
        ASSERT_EQ(rsim::metrics::logLine(call, times[0]), treeLine(call, times[0]));
    }
    for (microseconds took = 3s; took < 24h; took = took * 3 + 1234567us) {
        const CallRecord call{"r", 1, "RMOSMQ28", 200, 0, took, 1};
        ASSERT_EQ(rsim::metrics::logLine(call, times[0]), treeLine(call, times[0]));
    }
}

} // namespace
