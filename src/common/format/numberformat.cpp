#include "numberformat.h"

#include <cmath>

namespace kolvar {

namespace format_detail {

bool Decimal::isZero() const
{
    for (QChar c : intDigits)
        if (c != u'0')
            return false;
    for (QChar c : fracDigits)
        if (c != u'0')
            return false;
    return true;
}

Decimal toDecimal(double value, int decimals)
{
    Q_ASSERT(std::isfinite(value));
    Q_ASSERT(decimals >= 0);
    // 18 significant digits: "d.ddddddddddddddddde+XX", never locale dependent.
    const QString sci = QString::number(std::fabs(value), 'e', 17);
    const qsizetype e = sci.indexOf(u'e');
    const int exponent = sci.mid(e + 1).toInt();
    QString digits = sci.left(1) + sci.mid(2, e - 2); // 18 digits, value = 0.digits * 10^(exponent+1)

    // Place the decimal point: pointPos digits before it.
    int pointPos = exponent + 1;
    if (pointPos < 0) {
        digits.prepend(QString(-pointPos, u'0'));
        pointPos = 0;
    }
    if (digits.size() < pointPos + decimals + 1)
        digits.append(QString(pointPos + decimals + 1 - digits.size(), u'0'));

    // Keep pointPos + decimals digits, rounding on the next one.
    const qsizetype keep = pointPos + decimals;
    const bool roundUp = digits.at(keep) >= u'5';
    digits.truncate(keep);
    if (roundUp) {
        qsizetype i = keep - 1;
        for (; i >= 0; --i) {
            if (digits[i] == u'9') {
                digits[i] = u'0';
            } else {
                digits[i] = QChar(digits[i].unicode() + 1);
                break;
            }
        }
        if (i < 0) {
            digits.prepend(u'1');
            ++pointPos;
        }
    }
    Decimal d;
    d.intDigits = digits.left(pointPos);
    d.fracDigits = digits.mid(pointPos);
    qsizetype lead = 0;
    while (lead < d.intDigits.size() && d.intDigits.at(lead) == u'0')
        ++lead;
    d.intDigits.remove(0, lead);
    return d;
}

} // namespace format_detail

using format_detail::Decimal;
using format_detail::toDecimal;

double IkiHaneYuvarla(double x)
{
    if (!std::isfinite(x))
        return x;
    const Decimal d = toDecimal(x, 2);
    if (d.isZero())
        return 0.0;
    const QString text = (x < 0 ? QStringLiteral("-") : QString()) +
                         (d.intDigits.isEmpty() ? QStringLiteral("0") : d.intDigits) + u'.' + d.fracDigits;
    return text.toDouble(); // QString::toDouble is always the C locale
}

namespace {

struct Section {
    QString prefix;
    QString suffix;
    int minInt = 0;      // '0' placeholders from the first '0' to the point
    int minDecimals = 0; // '0' after the point
    int maxDecimals = 0; // '0' and '#' after the point
    bool grouping = false;
    bool hasDigits = false;
};

// Splits at ';' outside quotes.
QList<QStringView> splitSections(QStringView pattern)
{
    QList<QStringView> parts;
    QChar quote;
    qsizetype start = 0;
    for (qsizetype i = 0; i < pattern.size(); ++i) {
        const QChar c = pattern.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';') {
            parts << pattern.mid(start, i - start);
            start = i + 1;
        }
    }
    parts << pattern.mid(start);
    return parts;
}

Section parseSection(QStringView text)
{
    Section s;
    bool afterPoint = false;
    bool seenZero = false;
    bool inSuffix = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        const bool placeholder = c == u'0' || c == u'#';
        const bool structural = placeholder || ((c == u'.' || c == u',') && !inSuffix);
        if (structural) {
            if (placeholder)
                s.hasDigits = true;
            if (c == u'.') {
                afterPoint = true;
                s.hasDigits = true; // a bare ".00" still formats a number
            } else if (c == u',') {
                if (!afterPoint)
                    s.grouping = true;
            } else if (afterPoint) {
                ++s.maxDecimals;
                if (c == u'0')
                    s.minDecimals = s.maxDecimals;
            } else if (c == u'0' || seenZero) {
                seenZero = true;
                ++s.minInt;
            }
            continue;
        }
        QString literal;
        if (c == u'"' || c == u'\'') {
            const qsizetype end = text.indexOf(c, i + 1);
            const qsizetype stop = end < 0 ? text.size() : end;
            literal = text.mid(i + 1, stop - i - 1).toString();
            i = stop;
        } else {
            literal = c;
        }
        if (s.hasDigits) {
            inSuffix = true;
            s.suffix += literal;
        } else {
            s.prefix += literal;
        }
    }
    return s;
}

QString formatSection(const Section &s, double absValue, const QLocale &locale)
{
    if (!s.hasDigits)
        return s.prefix + s.suffix;
    const Decimal d = toDecimal(absValue, s.maxDecimals);
    QString intPart = d.intDigits;
    if (intPart.size() < s.minInt)
        intPart.prepend(QString(s.minInt - intPart.size(), u'0'));
    if (s.grouping) {
        const QString sep = locale.groupSeparator();
        for (qsizetype pos = intPart.size() - 3; pos > 0; pos -= 3)
            intPart.insert(pos, sep);
    }
    QString frac = d.fracDigits;
    while (frac.size() > s.minDecimals && frac.endsWith(u'0'))
        frac.chop(1);
    QString out = s.prefix + intPart;
    if (!frac.isEmpty())
        out += locale.decimalPoint() + frac;
    return out + s.suffix;
}

} // namespace

QString formatGeneral(double value, const QLocale &locale)
{
    QLocale plain = locale;
    plain.setNumberOptions(plain.numberOptions() | QLocale::OmitGroupSeparator);
    return plain.toString(value, 'g', 15);
}

QString formatNumber(double value, QStringView pattern, const QLocale &locale)
{
    if (pattern.isEmpty() || !std::isfinite(value))
        return formatGeneral(value, locale);
    const QList<QStringView> parts = splitSections(pattern);
    const Section positive = parseSection(parts.at(0));
    const double absValue = std::fabs(value);

    // The zero section applies to a value that shows as zero in the positive one.
    if (parts.size() >= 3 && !parts.at(2).isEmpty() && toDecimal(absValue, positive.maxDecimals).isZero())
        return formatSection(parseSection(parts.at(2)), absValue, locale);
    if (value < 0 && parts.size() >= 2 && !parts.at(1).isEmpty())
        return formatSection(parseSection(parts.at(1)), absValue, locale);

    QString text = formatSection(positive, absValue, locale);
    // No minus on a value that rounds to zero.
    if (value < 0 && !toDecimal(absValue, positive.maxDecimals).isZero())
        text.prepend(locale.negativeSign());
    return text;
}

} // namespace kolvar
