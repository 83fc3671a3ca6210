#include "jsonreader.h"

#include <QJsonArray>
#include <QJsonObject>

#include <charconv>
#include <cstring>
#include <limits>

namespace kolvar {

namespace {

inline int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Four hex digits at p (bounds already checked); -1 when not hex.
inline int hex4(const char *p)
{
    int v = 0;
    for (int i = 0; i < 4; ++i) {
        const int h = hexValue(p[i]);
        if (h < 0)
            return -1;
        v = v * 16 + h;
    }
    return v;
}

} // namespace

JsonReader::JsonReader(QByteArrayView json, int maxDepth) : m_text(json), m_maxDepth(maxDepth) {}

JsonReader::Token JsonReader::fail(const QString &message, qsizetype at)
{
    m_error = QStringLiteral("%1 at byte %2").arg(message).arg(at);
    m_tokenBegin = at;
    m_token = Token::Error;
    return m_token;
}

void JsonReader::setError(const QString &message)
{
    if (m_token != Token::Error)
        fail(message, m_tokenBegin);
}

void JsonReader::skipSpace()
{
    const char *d = m_text.data();
    const qsizetype n = m_text.size();
    while (m_pos < n) {
        const char c = d[m_pos];
        if (c != ' ' && c != '\n' && c != '\r' && c != '\t')
            break;
        ++m_pos;
    }
}

JsonReader::Token JsonReader::next()
{
    if (m_token == Token::Error || m_token == Token::End)
        return m_token;
    skipSpace();
    m_tokenBegin = m_pos;
    const qsizetype n = m_text.size();

    if (m_stack.isEmpty()) {
        if (m_topDone) {
            if (m_pos == n)
                return m_token = Token::End;
            return fail(QStringLiteral("unexpected data after the JSON value"), m_pos);
        }
        if (m_pos == n)
            return fail(QStringLiteral("no JSON value"), m_pos);
        return readScalarOrOpen();
    }
    if (m_pos == n)
        return fail(QStringLiteral("unexpected end of the JSON text"), m_pos);

    const char c = m_text[m_pos];
    const bool inObject = m_stack.back() == '{';
    auto close = [&](Token t) {
        ++m_pos;
        m_stack.removeLast();
        if (m_stack.isEmpty())
            m_topDone = true;
        else
            m_expect = Expect::CommaOrEnd;
        return m_token = t;
    };

    switch (m_expect) {
    case Expect::FirstKeyOrEnd:
        if (c == '}')
            return close(Token::EndObject);
        return lexString(Token::Key);
    case Expect::FirstValueOrEnd:
        if (c == ']')
            return close(Token::EndArray);
        return readScalarOrOpen();
    case Expect::CommaOrEnd:
        if (inObject && c == '}')
            return close(Token::EndObject);
        if (!inObject && c == ']')
            return close(Token::EndArray);
        if (c != ',')
            return fail(inObject ? QStringLiteral("expected ',' or '}'")
                                 : QStringLiteral("expected ',' or ']'"),
                        m_pos);
        ++m_pos;
        skipSpace();
        m_tokenBegin = m_pos;
        if (m_pos == n)
            return fail(QStringLiteral("unexpected end of the JSON text"), m_pos);
        if (inObject)
            return lexString(Token::Key);
        return readScalarOrOpen();
    case Expect::Value:
    case Expect::Key:
    case Expect::Colon: break;
    }
    return readScalarOrOpen();
}

JsonReader::Token JsonReader::readScalarOrOpen()
{
    const char c = m_text[m_pos];
    Token t;
    switch (c) {
    case '{':
    case '[':
        if (m_stack.size() >= m_maxDepth)
            return fail(QStringLiteral("nesting deeper than %1 levels").arg(m_maxDepth), m_pos);
        ++m_pos;
        m_stack.append(c);
        m_expect = c == '{' ? Expect::FirstKeyOrEnd : Expect::FirstValueOrEnd;
        return m_token = c == '{' ? Token::BeginObject : Token::BeginArray;
    case '"': t = lexString(Token::String); break;
    case 't': t = lexLiteral(QLatin1StringView("true"), Token::Bool, true); break;
    case 'f': t = lexLiteral(QLatin1StringView("false"), Token::Bool, false); break;
    case 'n': t = lexLiteral(QLatin1StringView("null"), Token::Null, false); break;
    default:
        if (c == '-' || (c >= '0' && c <= '9')) {
            t = lexNumber();
            break;
        }
        return fail(QStringLiteral("unexpected character"), m_pos);
    }
    if (t == Token::Error)
        return t;
    if (m_stack.isEmpty())
        m_topDone = true;
    else
        m_expect = Expect::CommaOrEnd;
    return t;
}

JsonReader::Token JsonReader::lexLiteral(QLatin1StringView word, Token kind, bool flag)
{
    if (m_text.size() - m_pos < word.size() || memcmp(m_text.data() + m_pos, word.data(), word.size()) != 0)
        return fail(QStringLiteral("unexpected character"), m_pos);
    m_pos += word.size();
    m_bool = flag;
    return m_token = kind;
}

JsonReader::Token JsonReader::lexNumber()
{
    const char *d = m_text.data();
    const qsizetype n = m_text.size();
    const qsizetype begin = m_pos;
    qsizetype p = m_pos;
    const bool negative = d[p] == '-';
    if (negative)
        ++p;
    if (p == n || d[p] < '0' || d[p] > '9')
        return fail(QStringLiteral("invalid number"), begin);
    quint64 magnitude = 0;
    bool overflow = false;
    if (d[p] == '0') {
        ++p;
    } else {
        while (p < n && d[p] >= '0' && d[p] <= '9') {
            const unsigned digit = unsigned(d[p] - '0');
            if (magnitude > (std::numeric_limits<quint64>::max() - digit) / 10)
                overflow = true;
            else
                magnitude = magnitude * 10 + digit;
            ++p;
        }
    }
    bool isDouble = false;
    if (p < n && d[p] == '.') {
        isDouble = true;
        ++p;
        if (p == n || d[p] < '0' || d[p] > '9')
            return fail(QStringLiteral("invalid number"), begin);
        while (p < n && d[p] >= '0' && d[p] <= '9')
            ++p;
    }
    if (p < n && (d[p] == 'e' || d[p] == 'E')) {
        isDouble = true;
        ++p;
        if (p < n && (d[p] == '+' || d[p] == '-'))
            ++p;
        if (p == n || d[p] < '0' || d[p] > '9')
            return fail(QStringLiteral("invalid number"), begin);
        while (p < n && d[p] >= '0' && d[p] <= '9')
            ++p;
    }
    m_pos = p;
    if (!isDouble && !overflow) {
        constexpr quint64 maxPositive = quint64(std::numeric_limits<qint64>::max());
        if (!negative && magnitude <= maxPositive) {
            m_integer = qint64(magnitude);
            return m_token = Token::Integer;
        }
        if (negative && magnitude <= maxPositive + 1) {
            m_integer =
                magnitude == maxPositive + 1 ? std::numeric_limits<qint64>::min() : -qint64(magnitude);
            return m_token = Token::Integer;
        }
    }
    const auto r = std::from_chars(d + begin, d + p, m_real);
    if (r.ec != std::errc() || r.ptr != d + p)
        return fail(QStringLiteral("number out of range"), begin);
    return m_token = Token::Double;
}

JsonReader::Token JsonReader::lexString(Token kind)
{
    const auto *d = reinterpret_cast<const unsigned char *>(m_text.data());
    const qsizetype n = m_text.size();
    if (m_pos >= n || d[m_pos] != '"')
        return fail(QStringLiteral("expected a member name"), m_pos);
    qsizetype p = m_pos + 1;
    m_strBegin = p;
    m_strEscapes = false;
    m_strAscii = true;
    for (;;) {
        // Plain ASCII runs are the common case.
        while (p < n && d[p] >= 0x20 && d[p] < 0x80 && d[p] != '"' && d[p] != '\\')
            ++p;
        if (p >= n)
            return fail(QStringLiteral("unterminated string"), m_pos);
        const unsigned c = d[p];
        if (c == '"')
            break;
        if (c == '\\') {
            m_strEscapes = true;
            if (p + 1 >= n)
                return fail(QStringLiteral("unterminated string"), m_pos);
            switch (d[p + 1]) {
            case '"':
            case '\\':
            case '/':
            case 'b':
            case 'f':
            case 'n':
            case 'r':
            case 't': p += 2; continue;
            case 'u': break;
            default: return fail(QStringLiteral("invalid escape in a string"), p);
            }
            if (n - p < 6)
                return fail(QStringLiteral("invalid escape in a string"), p);
            const int u = hex4(reinterpret_cast<const char *>(d) + p + 2);
            if (u < 0)
                return fail(QStringLiteral("invalid escape in a string"), p);
            if (u >= 0xDC00 && u <= 0xDFFF)
                return fail(QStringLiteral("unpaired surrogate escape in a string"), p);
            if (u >= 0xD800 && u <= 0xDBFF) {
                if (n - p < 12 || d[p + 6] != '\\' || d[p + 7] != 'u')
                    return fail(QStringLiteral("unpaired surrogate escape in a string"), p);
                const int low = hex4(reinterpret_cast<const char *>(d) + p + 8);
                if (low < 0xDC00 || low > 0xDFFF)
                    return fail(QStringLiteral("unpaired surrogate escape in a string"), p);
                p += 12;
            } else {
                p += 6;
            }
            continue;
        }
        if (c < 0x20)
            return fail(QStringLiteral("control character in a string"), p);
        // Multi-byte UTF-8: lead byte fixes the length and the allowed range
        // of the second byte (no overlongs, no surrogates, nothing past U+10FFFF).
        m_strAscii = false;
        int more;
        unsigned lo = 0x80, hi = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            more = 1;
        } else if (c >= 0xE0 && c <= 0xEF) {
            more = 2;
            if (c == 0xE0)
                lo = 0xA0;
            else if (c == 0xED)
                hi = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            more = 3;
            if (c == 0xF0)
                lo = 0x90;
            else if (c == 0xF4)
                hi = 0x8F;
        } else {
            return fail(QStringLiteral("invalid UTF-8"), p);
        }
        if (n - p <= more)
            return fail(QStringLiteral("invalid UTF-8"), p);
        if (d[p + 1] < lo || d[p + 1] > hi)
            return fail(QStringLiteral("invalid UTF-8"), p);
        for (int i = 2; i <= more; ++i) {
            if ((d[p + i] & 0xC0) != 0x80)
                return fail(QStringLiteral("invalid UTF-8"), p);
        }
        p += more + 1;
    }
    m_strLen = p - m_strBegin;
    m_pos = p + 1;
    if (kind == Token::Key) {
        skipSpace();
        if (m_pos >= n || m_text[m_pos] != ':')
            return fail(QStringLiteral("expected ':'"), m_pos);
        ++m_pos;
        m_expect = Expect::Value;
    }
    return m_token = kind;
}

qsizetype JsonReader::decodeString(char16_t *dst) const
{
    const auto *s = reinterpret_cast<const unsigned char *>(m_text.data()) + m_strBegin;
    const auto *end = s + m_strLen;
    char16_t *out = dst;
    if (m_strAscii && !m_strEscapes) {
        while (s < end)
            *out++ = *s++;
        return out - dst;
    }
    // The text was checked while lexing; only decoding is left.
    while (s < end) {
        const unsigned c = *s;
        if (c < 0x80) {
            if (c != '\\') {
                *out++ = char16_t(c);
                ++s;
                continue;
            }
            const char e = char(s[1]);
            switch (e) {
            case 'b': *out++ = u'\b'; break;
            case 'f': *out++ = u'\f'; break;
            case 'n': *out++ = u'\n'; break;
            case 'r': *out++ = u'\r'; break;
            case 't': *out++ = u'\t'; break;
            case 'u': break;
            default: *out++ = char16_t(e); break;
            }
            if (e != 'u') {
                s += 2;
                continue;
            }
            *out++ = char16_t(hex4(reinterpret_cast<const char *>(s) + 2));
            s += 6;
            continue;
        }
        if (c < 0xE0) {
            *out++ = char16_t(((c & 0x1F) << 6) | (s[1] & 0x3F));
            s += 2;
        } else if (c < 0xF0) {
            *out++ = char16_t(((c & 0x0F) << 12) | ((s[1] & 0x3F) << 6) | (s[2] & 0x3F));
            s += 3;
        } else {
            const char32_t cp =
                ((c & 0x07) << 18) | ((s[1] & 0x3F) << 12) | ((s[2] & 0x3F) << 6) | (s[3] & 0x3F);
            *out++ = char16_t(0xD800 + ((cp - 0x10000) >> 10));
            *out++ = char16_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
            s += 4;
        }
    }
    return out - dst;
}

QString JsonReader::string() const
{
    if (m_token != Token::String && m_token != Token::Key)
        return {};
    QString s(m_strLen, Qt::Uninitialized);
    s.truncate(decodeString(reinterpret_cast<char16_t *>(s.data())));
    return s;
}

bool JsonReader::stringEquals(QLatin1StringView ascii) const
{
    if (m_strEscapes || !m_strAscii)
        return string() == ascii;
    return rawString() == QByteArrayView(ascii.data(), ascii.size());
}

bool JsonReader::readJsonValue(QJsonValue &out, int level)
{
    switch (m_token) {
    case Token::String: out = string(); return true;
    case Token::Integer: out = QJsonValue(m_integer); return true;
    case Token::Double: out = QJsonValue(m_real); return true;
    case Token::Bool: out = QJsonValue(m_bool); return true;
    case Token::Null: out = QJsonValue(QJsonValue::Null); return true;
    case Token::BeginArray: {
        QJsonArray array;
        for (;;) {
            if (next() == Token::EndArray)
                break;
            QJsonValue item;
            if (!readJsonValue(item, level + 1))
                return false;
            array.append(item);
        }
        out = array;
        return true;
    }
    case Token::BeginObject: {
        QJsonObject object;
        for (;;) {
            const Token t = next();
            if (t == Token::EndObject)
                break;
            if (t != Token::Key)
                return false;
            const QString name = string();
            next();
            QJsonValue item;
            if (!readJsonValue(item, level + 1))
                return false;
            object.insert(name, item);
        }
        out = object;
        return true;
    }
    case Token::Error: return false;
    default: setError(QStringLiteral("expected a value")); return false;
    }
}

QJsonValue JsonReader::readValue()
{
    next();
    QJsonValue v;
    if (!readJsonValue(v, 0))
        return QJsonValue(QJsonValue::Undefined);
    return v;
}

bool JsonReader::skipValue()
{
    const Token t = next();
    switch (t) {
    case Token::String:
    case Token::Integer:
    case Token::Double:
    case Token::Bool:
    case Token::Null: return true;
    case Token::BeginArray:
    case Token::BeginObject: {
        const int level = depth();
        for (;;) {
            const Token u = next();
            if (u == Token::Error)
                return false;
            if ((u == Token::EndArray || u == Token::EndObject) && depth() < level)
                return true;
        }
    }
    case Token::Error: return false;
    default: setError(QStringLiteral("expected a value")); return false;
    }
}

} // namespace kolvar
