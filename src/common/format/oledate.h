#pragma once

#include <QDate>
#include <QDateTime>

namespace kolvar {

// Dates as the server exchanges them: days since 1899-12-30, the time of day
// as the fraction. Before the epoch the whole part counts days backwards and
// the fraction still adds time forwards (-1.25 is 1899-12-29 06:00).

// The whole day count of a date; 0.0 for an invalid date.
double toOleDate(QDate date);
// Day count with the time of day (wall clock, to the millisecond).
double toOleDateTime(const QDateTime &dateTime);
// The day of a day count (time of day dropped); invalid for NaN/infinite.
QDate oleDateToDate(double days);
// Wall-clock date and time of a day count, rounded to the millisecond.
QDateTime oleDateToDateTime(double days);

} // namespace kolvar
