// TFlatDateTimePicker and the TDateTime conversions.
#include "TVGUICommon.h"

#include <cmath>

namespace {

const QDate kTDateTimeEpoch(1899, 12, 30);
constexpr double kMsecsPerDay = 86400000.0;
constexpr double kFurthestDay = 3000000.0; // beyond the year 9999 either way

} // namespace

TFlatDateTimePicker::TFlatDateTimePicker(QWidget* parent, Kind kind) : QDateTimeEdit(parent)
{
    setKind(kind);
}

void TFlatDateTimePicker::setKind(Kind kind)
{
    kind_ = kind;
    setCalendarPopup(kind == Kind::Date);
    setDisplayFormat(kind == Kind::Date ? "yyyy-MM-dd" : "HH:mm:ss");
}

double TFlatDateTimePicker::DateTime() const
{
    return toTDateTime(dateTime());
}

void TFlatDateTimePicker::setDateTime(double value)
{
    QDateTimeEdit::setDateTime(fromTDateTime(value));
}

// The whole days count from the epoch, the fraction is the time of day; below zero the time
// is subtracted, since its fraction still counts forwards from midnight.
double TFlatDateTimePicker::toTDateTime(const QDateTime& value)
{
    const double days = static_cast<double>(kTDateTimeEpoch.daysTo(value.date()));
    const double time = value.time().msecsSinceStartOfDay() / kMsecsPerDay;
    return days < 0 ? days - time : days + time;
}

QDateTime TFlatDateTimePicker::fromTDateTime(double value)
{
    if (!std::isfinite(value) || std::fabs(value) > kFurthestDay)
        return {};
    const double days = std::trunc(value);
    qint64 msecs = std::llround(std::fabs(value - days) * kMsecsPerDay);
    QDate date = kTDateTimeEpoch.addDays(static_cast<qint64>(days));
    if (msecs >= static_cast<qint64>(kMsecsPerDay)) { // rounded up to the next midnight
        date = date.addDays(1);
        msecs = 0;
    }
    return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(msecs)));
}
