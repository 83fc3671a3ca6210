#include "oledate.h"

#include <cmath>

namespace kolvar {

namespace {

constexpr qint64 kMsPerDay = 24 * 60 * 60 * 1000;

QDate epoch()
{
    return QDate(1899, 12, 30);
}

// Highest day count QDate comfortably covers; beyond it the value is no date.
constexpr double kMaxDays = 1e9;

} // namespace

double toOleDate(QDate date)
{
    return date.isValid() ? double(epoch().daysTo(date)) : 0.0;
}

double toOleDateTime(const QDateTime &dateTime)
{
    if (!dateTime.isValid())
        return 0.0;
    const double day = toOleDate(dateTime.date());
    const double fraction = double(dateTime.time().msecsSinceStartOfDay()) / double(kMsPerDay);
    return day >= 0 ? day + fraction : day - fraction;
}

QDate oleDateToDate(double days)
{
    return oleDateToDateTime(days).date();
}

QDateTime oleDateToDateTime(double days)
{
    if (!std::isfinite(days) || std::fabs(days) > kMaxDays)
        return {};
    const double whole = std::trunc(days);
    qint64 dayCount = qint64(whole);
    qint64 ms = qint64(std::llround(std::fabs(days - whole) * double(kMsPerDay)));
    if (ms >= kMsPerDay) { // 23:59:59.9996 rounds into the next day
        ms -= kMsPerDay;
        dayCount += days < 0 ? -1 : 1;
    }
    // -0.5 is 1899-12-30 12:00: the whole part is the day even when it is -0.
    return QDateTime(epoch().addDays(dayCount), QTime::fromMSecsSinceStartOfDay(int(ms)));
}

} // namespace kolvar
