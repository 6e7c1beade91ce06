#include "call_log.h"

#include "metrics.h"

#include <nlohmann/json.hpp>

#include <unistd.h>

#include <cmath>
#include <ctime>

namespace rsim::metrics {
namespace {

constexpr std::size_t kRequestIdLength = 64; // a client's id is its to choose: only this much

std::string utc(std::chrono::system_clock::time_point time)
{
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const auto millis =
        std::chrono::duration_cast<std::chrono::milliseconds>(time.time_since_epoch()).count() %
        1000;
    std::tm parts{};
    gmtime_r(&seconds, &parts);
    char text[32];
    const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &parts);
    std::snprintf(text + n, sizeof text - n, ".%03dZ", static_cast<int>(millis));
    return text;
}

} // namespace

std::string_view resultOf(int status, int result)
{
    if (status >= 500)
        return "error";
    if (status >= 400)
        return "fault";
    return result == 0 ? "ok" : "refused";
}

std::string logLine(const CallRecord& call, std::chrono::system_clock::time_point time)
{
    const double seconds = std::chrono::duration<double>(call.duration).count();
    const nlohmann::ordered_json line{
        {"time", utc(time)},
        {"requestId", std::string(call.requestId.substr(0, kRequestIdLength))},
        {"operator", call.opId},
        {"operation", std::string(call.operation)},
        {"status", call.status},
        {"result", std::string(resultOf(call.status, call.result))},
        {"code", call.result},
        {"durationMs", std::round(seconds * 1e5) / 100},
        {"rows", call.rows}};
    // A cut id may end inside a character: replaced, as any byte that is not UTF-8.
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void callEnded(const CallRecord& call)
{
    callAnswered(call.operation, resultOf(call.status, call.result),
                 std::chrono::duration<double>(call.duration).count());
    const std::string line = logLine(call, std::chrono::system_clock::now()) + "\n";
    // One write: lines of calls ending together do not interleave.
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace rsim::metrics
