// CBSDateTime: calendar arithmetic on the proleptic Gregorian calendar, no time zone.
#include "tvd_datetime.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <string_view>

namespace {

// Days from 1970-01-01 to y-m-d (Howard Hinnant's algorithm).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    y = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2));
}

constexpr std::int64_t kDelphiEpochDays = -25569; // 1899-12-30 relative to 1970-01-01

bool validDate(int y, int m, int d)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    static const int monthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= monthDays[m - 1] + (m == 2 && leap ? 1 : 0);
}

} // namespace

CBSDateTime::CBSDateTime(int year, int month, int day, int hour, int minute, int second)
    : year_(year), month_(month), day_(day), hour_(hour), minute_(minute), second_(second)
{}

CBSDateTime CBSDateTime::currentDateTime()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     local.tm_sec};
}

CBSDateTime CBSDateTime::fromTDateTime(double value)
{
    const double wholeDays = std::floor(value);
    auto seconds = static_cast<std::int64_t>(std::llround((value - wholeDays) * 86400.0));
    auto days = static_cast<std::int64_t>(wholeDays) + kDelphiEpochDays;
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    CBSDateTime result;
    civilFromDays(days, result.year_, result.month_, result.day_);
    result.hour_ = static_cast<int>(seconds / 3600);
    result.minute_ = static_cast<int>(seconds / 60 % 60);
    result.second_ = static_cast<int>(seconds % 60);
    return result;
}

double CBSDateTime::toTDateTime() const
{
    if (isNull())
        return 0.0;
    const std::int64_t days = daysFromCivil(year_, month_, day_) - kDelphiEpochDays;
    return static_cast<double>(days) + (hour_ * 3600 + minute_ * 60 + second_) / 86400.0;
}

// The wire form is read and written digit by digit: a list of thousands of dated records spends
// several times as long in sscanf and snprintf as in the rest of its reading and writing. Each
// field is read at its place, so a date costs a few instructions a digit.
bool CBSDateTime::fromWire(std::string_view text, CBSDateTime& out)
{
    // "YYYY-MM-DD" or "YYYY-MM-DD HH:MM:SS"
    const bool timed = text.size() == 19;
    if (text.size() != 10 && !timed)
        return false;
    if (text[4] != '-' || text[7] != '-' ||
        (timed && (text[10] != ' ' || text[13] != ':' || text[16] != ':')))
        return false;
    // The digits at, each one checked once: notDigit gathers whether any is not one.
    unsigned notDigit = 0;
    const auto digit = [&](std::size_t at) {
        const unsigned value = static_cast<unsigned char>(text[at]) - unsigned{'0'};
        notDigit |= value > 9 ? 1U : 0U;
        return static_cast<int>(value);
    };
    const auto two = [&](std::size_t at) { return digit(at) * 10 + digit(at + 1); };
    const int fields[6] = {
        two(0) * 100 + two(2), two(5), two(8), timed ? two(11) : 0, timed ? two(14) : 0,
        timed ? two(17) : 0};
    if (notDigit != 0)
        return false;
    const auto [y, mo, d, h, mi, s] = fields;
    if (y == 0 && mo == 0 && d == 0 && h == 0 && mi == 0 && s == 0) {
        out = CBSDateTime();
        return true;
    }
    if (!validDate(y, mo, d) || h > 23 || mi > 59 || s > 59)
        return false;
    out = CBSDateTime(y, mo, d, h, mi, s);
    return true;
}

std::string CBSDateTime::toWire() const
{
    const int fields[] = {year_, month_, day_, hour_, minute_, second_};
    if (year_ < 0 || year_ > 9999 ||
        std::any_of(fields + 1, std::end(fields), [](int f) { return f < 0 || f > 99; })) {
        char buffer[80];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year_, month_, day_,
                      hour_, minute_, second_);
        return buffer;
    }
    std::string text = "0000-00-00 00:00:00";
    std::size_t end = 4; // of the field being written
    for (int value : fields) {
        for (std::size_t i = end; value > 0; value /= 10)
            text[--i] = static_cast<char>('0' + value % 10);
        end += 3;
    }
    return text;
}

void CBSDateTime::setTime(const CBSTime& time)
{
    hour_ = time.hour;
    minute_ = time.minute;
    second_ = time.second;
}

std::string CBSDateTime::toString(const char* format) const
{
    std::string out;
    char buffer[16];
    for (const char* p = format; *p != '\0'; ++p) {
        if (*p != '%' || p[1] == '\0') {
            out += *p;
            continue;
        }
        int value = -1, width = 2;
        switch (*++p) {
        case 'Y':
            value = year_;
            width = 4;
            break;
        case 'M': value = month_; break;
        case 'D': value = day_; break;
        case 'H': value = hour_; break;
        case 'N': value = minute_; break;
        case 'S': value = second_; break;
        default: out += *p; continue;
        }
        std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
        out += buffer;
    }
    return out;
}

std::int64_t CBSDateTime::secondsSinceEpoch() const
{
    return daysFromCivil(year_, static_cast<unsigned>(month_), static_cast<unsigned>(day_)) *
               86400 +
           hour_ * 3600 + minute_ * 60 + second_;
}

std::int64_t CBSDateTime::operator-(const CBSDateTime& other) const
{
    return secondsSinceEpoch() - other.secondsSinceEpoch();
}
