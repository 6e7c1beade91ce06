#include "call_log.h"

#include "metrics.h"

#include "tvd_json_stream.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace rsim::metrics {
namespace {

constexpr std::size_t kRequestIdLength = 64; // a client's id is its to choose: only this much

template <class Number>
void appendNumber(std::string& line, Number number)
{
    char digits[24];
    line.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

// Two digits, or three of a millisecond, zero-padded.
void appendPadded(std::string& line, unsigned number, int width)
{
    char digits[3];
    for (int i = width - 1; i >= 0; --i, number /= 10)
        digits[i] = static_cast<char>('0' + number % 10);
    line.append(digits, static_cast<std::size_t>(width));
}

// "2026-12-07T08:33:40.123Z"
void appendUtc(std::string& line, std::chrono::system_clock::time_point time)
{
    using namespace std::chrono;
    const auto millis = floor<milliseconds>(time);
    const auto day = floor<days>(millis);
    const year_month_day date(day);
    const hh_mm_ss clock(millis - day);
    line += '"';
    appendNumber(line, static_cast<int>(date.year()));
    line += '-';
    appendPadded(line, static_cast<unsigned>(date.month()), 2);
    line += '-';
    appendPadded(line, static_cast<unsigned>(date.day()), 2);
    line += 'T';
    appendPadded(line, static_cast<unsigned>(clock.hours().count()), 2);
    line += ':';
    appendPadded(line, static_cast<unsigned>(clock.minutes().count()), 2);
    line += ':';
    appendPadded(line, static_cast<unsigned>(clock.seconds().count()), 2);
    line += '.';
    appendPadded(line, static_cast<unsigned>(clock.subseconds().count()), 3);
    line += "Z\"";
}

// The text as a JSON string. Printable ASCII without quote or backslash (an operation code, a
// client's usual id) is its own JSON; any other text is escaped by the wire's writer, which
// also replaces each sequence that is not UTF-8, such as a character cut at the end of an id.
void appendString(std::string& line, std::string_view text)
{
    const bool plain = std::all_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\';
    });
    if (plain)
        line.append(1, '"').append(text).append(1, '"');
    else
        tvd::wire::appendText(line, text, tvd::wire::BadText::Replace);
}

// Milliseconds to two decimals, as the shortest decimal that reads back as the same double,
// with ".0" on a whole number.
void appendMilliseconds(std::string& line, std::chrono::steady_clock::duration duration)
{
    const double millis = std::round(std::chrono::duration<double>(duration).count() * 1e5) / 100;
    char digits[48];
    char* end = std::to_chars(digits, digits + sizeof digits, millis, std::chars_format::fixed).ptr;
    line.append(digits, end);
    if (std::find(digits, end, '.') == end)
        line += ".0";
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

// Appended member by member: a JSON tree built and dumped for each line cost ten times as much.
std::string logLine(const CallRecord& call, std::chrono::system_clock::time_point time)
{
    std::string line;
    line.reserve(256);
    line += R"({"time":)";
    appendUtc(line, time);
    line += R"(,"requestId":)";
    appendString(line, call.requestId.substr(0, kRequestIdLength));
    line += R"(,"operator":)";
    appendNumber(line, call.opId);
    line += R"(,"operation":)";
    appendString(line, call.operation);
    line += R"(,"status":)";
    appendNumber(line, call.status);
    line += R"(,"result":")";
    line.append(resultOf(call.status, call.result)).append(1, '"');
    line += R"(,"code":)";
    appendNumber(line, call.result);
    line += R"(,"durationMs":)";
    appendMilliseconds(line, call.duration);
    line += R"(,"rows":)";
    appendNumber(line, call.rows);
    line += '}';
    return line;
}

void callEnded(const CallRecord& call)
{
    callAnswered(call.operation, resultOf(call.status, call.result),
                 std::chrono::duration<double>(call.duration).count());
    std::string line = logLine(call, std::chrono::system_clock::now());
    line += '\n';
    // One write: lines of calls ending together do not interleave.
    [[maybe_unused]] const auto written = ::write(STDERR_FILENO, line.data(), line.size());
}

} // namespace rsim::metrics
