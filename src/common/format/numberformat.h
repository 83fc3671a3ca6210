#pragma once

#include <QLatin1StringView>
#include <QLocale>
#include <QString>

namespace kolvar {

// Display format of every amount: grouped thousands, always two decimals.
inline constexpr QLatin1StringView kAmountFormat{"#,###,##0.00"};

// Rounds to two decimals, halves away from zero. The decision is made on the
// first 18 significant decimal digits of the stored double, so 0.125 gives
// 0.13 but 2.675 (stored as 2.67499999999999982...) gives 2.67. Independent
// of the locale. NaN and infinities come back unchanged; -0.001 gives +0.
double IkiHaneYuvarla(double x);

// Formats with a numeric display pattern, using the locale's separators:
//   '0' digit, '#' optional digit, '.' decimal point, ',' anywhere in the
//   integer part turns on grouping by three, "..." or '...' literal text,
//   other characters literal; up to three sections "positive;negative;zero"
//   (the negative section supplies its own sign).
// "#,###,##0.00" 1234567.5 -> "1.234.567,50" (tr), "1,234,567.50" (en);
// "##.00" 0.5 -> ",50" (tr); ",0.00 TL;-,0.00 TL" -1.5 -> "-1,50 TL" (tr).
// An empty pattern gives the general format (formatGeneral).
QString formatNumber(double value, QStringView pattern, const QLocale &locale = QLocale());

// Shortest general form up to 15 significant digits, the locale's decimal
// separator and no grouping: 3 -> "3", 2.5 -> "2,5" (tr).
QString formatGeneral(double value, const QLocale &locale = QLocale());

} // namespace kolvar
