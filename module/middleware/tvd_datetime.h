// Date-time value and small value records of the middleware.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct CBSTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int fraction = 0;
};

// A calendar date and time of day, without time zone (local clock).
// The default value is the "null" date 0000-00-00 00:00:00.
class CBSDateTime {
public:
    CBSDateTime() = default;
    CBSDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

    static CBSDateTime currentDateTime();
    // Delphi TDateTime: days since 1899-12-30, fraction = time of day.
    static CBSDateTime fromTDateTime(double value);
    double toTDateTime() const;
    // Parses "YYYY-MM-DD HH:MM:SS" (the wire form) or "YYYY-MM-DD"; false when malformed.
    static bool fromWire(std::string_view text, CBSDateTime& out);
    std::string toWire() const;

    void setTime(const CBSTime& time);
    // %Y year, %M month, %D day, %H hour, %N minute, %S second, %% percent.
    std::string toString(const char* format = "%Y/%M/%D %H:%N:%S") const;

    bool isNull() const { return year_ == 0 && month_ == 0 && day_ == 0; }
    int year() const { return year_; }
    int month() const { return month_; }
    int day() const { return day_; }
    int hour() const { return hour_; }
    int minute() const { return minute_; }
    int second() const { return second_; }

    // This minus other, in seconds.
    std::int64_t operator-(const CBSDateTime& other) const;
    auto operator<=>(const CBSDateTime&) const = default;

private:
    std::int64_t secondsSinceEpoch() const;

    int year_ = 0, month_ = 0, day_ = 0;
    int hour_ = 0, minute_ = 0, second_ = 0;
};

// The error record of every call.
struct CBSErrorMsg {
    std::int32_t code = 0;
    std::int32_t minCode = 0;
    std::string message = "no error";
    std::string hint = "no error";

    void set(std::int32_t c, std::int32_t minor, std::string msg, std::string h)
    {
        code = c;
        minCode = minor;
        message = std::move(msg);
        hint = std::move(h);
    }
};

// Opaque session; a null pointer means "the session of this process".
struct STVSession {
    std::string token;
};
