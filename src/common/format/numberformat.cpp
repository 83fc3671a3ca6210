#include "numberformat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

namespace kolvar {

namespace {

// More decimals than any display pattern asks for are not kept.
constexpr int kMaxDecimals = 40;

// |value| as decimal digits rounded half-up at `decimals` places, after
// reducing it to 18 significant digits. The integer digits have no leading
// zeros (none at all for a value below 1).
struct Decimal {
    std::array<char, 320 + kMaxDecimals> digits; // 1e308 has 309 integer digits
    int intLen = 0;
    int fracLen = 0;

    const char *intDigits() const { return digits.data(); }
    const char *fracDigits() const { return digits.data() + intLen; }
    bool isZero() const
    {
        for (int i = 0; i < intLen + fracLen; ++i)
            if (digits[i] != '0')
                return false;
        return true;
    }
};

Decimal toDecimal(double value, int decimals)
{
    Q_ASSERT(std::isfinite(value));
    decimals = qBound(0, decimals, kMaxDecimals);
    // "d.ddddddddddddddddde+XX": exactly rounded, never locale dependent.
    char sci[32];
    const auto res =
        std::to_chars(sci, sci + sizeof sci, std::fabs(value), std::chars_format::scientific, 17);
    Q_ASSERT(res.ec == std::errc());
    const char *e = static_cast<const char *>(std::memchr(sci, 'e', res.ptr - sci));
    int exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, res.ptr, exponent);

    // The 18 significant digits, placed so that `pointPos` digits stand
    // before the decimal point.
    Decimal d;
    char *out = d.digits.data();
    int pointPos = exponent + 1;
    if (pointPos < -decimals - 1) { // far below the last kept place: zero
        std::memset(out, '0', size_t(decimals));
        d.fracLen = decimals;
        return d;
    }
    int n = 0;
    for (int i = pointPos; i < 0; ++i)
        out[n++] = '0';
    pointPos = qMax(pointPos, 0);
    out[n++] = sci[0];
    for (const char *p = sci + 2; p < e; ++p)
        out[n++] = *p;
    const int keep = pointPos + decimals;
    while (n <= keep)
        out[n++] = '0';

    // Keep pointPos + decimals digits, rounding on the next one.
    if (out[keep] >= '5') {
        int i = keep - 1;
        for (; i >= 0 && out[i] == '9'; --i)
            out[i] = '0';
        if (i >= 0) {
            ++out[i];
        } else {
            std::memmove(out + 1, out, size_t(keep));
            out[0] = '1';
            ++pointPos;
        }
    }
    int lead = 0;
    while (lead < pointPos && out[lead] == '0')
        ++lead;
    if (lead)
        std::memmove(out, out + lead, size_t(pointPos + decimals - lead));
    d.intLen = pointPos - lead;
    d.fracLen = decimals;
    return d;
}

} // namespace

double IkiHaneYuvarla(double x)
{
    if (!std::isfinite(x))
        return x;
    const Decimal d = toDecimal(x, 2);
    if (d.isZero())
        return 0.0;
    char text[400];
    int n = 0;
    if (x < 0)
        text[n++] = '-';
    if (d.intLen == 0)
        text[n++] = '0';
    std::memcpy(text + n, d.intDigits(), size_t(d.intLen));
    n += d.intLen;
    text[n++] = '.';
    std::memcpy(text + n, d.fracDigits(), 2);
    n += 2;
    double result = 0;
    std::from_chars(text, text + n, result);
    return result;
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
    s.maxDecimals = qMin(s.maxDecimals, kMaxDecimals);
    s.minDecimals = qMin(s.minDecimals, kMaxDecimals);
    return s;
}

// A pattern split into its sections; the last one used is kept per thread,
// since a grid formats a whole column with the same pattern.
struct ParsedPattern {
    QString pattern;
    Section positive;
    std::optional<Section> negative;
    std::optional<Section> zero;
};

const ParsedPattern &parsePattern(QStringView pattern)
{
    thread_local ParsedPattern cached;
    thread_local bool valid = false;
    if (valid && cached.pattern == pattern)
        return cached;
    const QList<QStringView> parts = splitSections(pattern);
    cached.pattern = pattern.toString();
    cached.positive = parseSection(parts.at(0));
    cached.negative.reset();
    cached.zero.reset();
    if (parts.size() >= 2 && !parts.at(1).isEmpty())
        cached.negative = parseSection(parts.at(1));
    if (parts.size() >= 3 && !parts.at(2).isEmpty())
        cached.zero = parseSection(parts.at(2));
    valid = true;
    return cached;
}

void appendLatin1(QString &out, const char *digits, int n)
{
    for (int i = 0; i < n; ++i)
        out += QLatin1Char(digits[i]);
}

QString formatSection(const Section &s, const Decimal &d, const QLocale &locale)
{
    if (!s.hasDigits)
        return s.prefix + s.suffix;
    int fracLen = d.fracLen;
    while (fracLen > s.minDecimals && d.fracDigits()[fracLen - 1] == '0')
        --fracLen;
    const int pad = qMax(0, s.minInt - d.intLen);
    const int intLen = d.intLen + pad;
    const QString group = s.grouping ? locale.groupSeparator() : QString();

    QString out;
    out.reserve(s.prefix.size() + intLen * 2 + fracLen + 2 + s.suffix.size());
    out += s.prefix;
    for (int i = 0; i < intLen; ++i) {
        if (i > 0 && !group.isEmpty() && (intLen - i) % 3 == 0)
            out += group;
        out += QLatin1Char(i < pad ? '0' : d.intDigits()[i - pad]);
    }
    if (fracLen > 0) {
        out += locale.decimalPoint();
        appendLatin1(out, d.fracDigits(), fracLen);
    }
    out += s.suffix;
    return out;
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
    const ParsedPattern &p = parsePattern(pattern);
    const double absValue = std::fabs(value);
    const Decimal d = toDecimal(absValue, p.positive.maxDecimals);

    // The zero section applies to a value that shows as zero in the positive one.
    if (p.zero && d.isZero())
        return formatSection(*p.zero, toDecimal(absValue, p.zero->maxDecimals), locale);
    if (value < 0 && p.negative)
        return formatSection(*p.negative, toDecimal(absValue, p.negative->maxDecimals), locale);

    QString text = formatSection(p.positive, d, locale);
    // No minus on a value that rounds to zero.
    if (value < 0 && !d.isZero())
        text.prepend(locale.negativeSign());
    return text;
}

} // namespace kolvar
