#include "jsonwriter.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace kolvar {

JsonWriter::JsonWriter()
{
    m_out.reserve(256);
}

void JsonWriter::separate()
{
    if (m_needComma)
        m_out.append(',');
}

void JsonWriter::beginObject()
{
    separate();
    m_out.append('{');
    m_needComma = false;
}

void JsonWriter::endObject()
{
    m_out.append('}');
    m_needComma = true;
}

void JsonWriter::beginArray()
{
    separate();
    m_out.append('[');
    m_needComma = false;
}

void JsonWriter::endArray()
{
    m_out.append(']');
    m_needComma = true;
}

namespace {

const char kHex[] = "0123456789abcdef";

// The escaped form of an ASCII character that needs one, else the character;
// answers the number of bytes written (at most six).
int escapeAscii(char *out, char16_t c)
{
    char short_ = 0;
    switch (c) {
    case u'"': short_ = '"'; break;
    case u'\\': short_ = '\\'; break;
    case u'\n': short_ = 'n'; break;
    case u'\r': short_ = 'r'; break;
    case u'\t': short_ = 't'; break;
    case u'\b': short_ = 'b'; break;
    case u'\f': short_ = 'f'; break;
    default: break;
    }
    if (short_) {
        out[0] = '\\';
        out[1] = short_;
        return 2;
    }
    if (c < 0x20) {
        const char esc[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
        memcpy(out, esc, 6);
        return 6;
    }
    out[0] = char(c);
    return 1;
}

// UTF-16 to UTF-8 with JSON escapes. A lone surrogate cannot be written as
// UTF-8; it becomes U+FFFD so the text stays valid.
void appendString(QByteArray &out, QStringView text)
{
    const qsizetype start = out.size();
    out.resize(start + text.size() * 6 + 2); // worst case: every unit a \u escape
    char *p = out.data() + start;
    *p++ = '"';
    const char16_t *s = text.utf16();
    const char16_t *end = s + text.size();
    while (s < end) {
        char16_t c = *s;
        if (c < 0x80) {
            if (c >= 0x20 && c != u'"' && c != u'\\') {
                *p++ = char(c);
                ++s;
                continue;
            }
            char esc[6];
            const int n = escapeAscii(esc, c);
            memcpy(p, esc, n);
            p += n;
            ++s;
            continue;
        }
        char32_t cp = c;
        if (c >= 0xD800 && c <= 0xDBFF && s + 1 < end && s[1] >= 0xDC00 && s[1] <= 0xDFFF) {
            cp = 0x10000 + ((char32_t(c) - 0xD800) << 10) + (s[1] - 0xDC00);
            s += 2;
        } else {
            if (c >= 0xD800 && c <= 0xDFFF)
                cp = 0xFFFD;
            ++s;
        }
        if (cp < 0x800) {
            *p++ = char(0xC0 | (cp >> 6));
            *p++ = char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            *p++ = char(0xE0 | (cp >> 12));
            *p++ = char(0x80 | ((cp >> 6) & 0x3F));
            *p++ = char(0x80 | (cp & 0x3F));
        } else {
            // Two UTF-16 units became four bytes: within the reserve of six.
            *p++ = char(0xF0 | (cp >> 18));
            *p++ = char(0x80 | ((cp >> 12) & 0x3F));
            *p++ = char(0x80 | ((cp >> 6) & 0x3F));
            *p++ = char(0x80 | (cp & 0x3F));
        }
    }
    *p++ = '"';
    out.resize(p - out.data());
}

void appendLatin1String(QByteArray &out, QLatin1StringView text)
{
    out.append('"');
    for (char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80) {
            out.append(char(0xC0 | (c >> 6)));
            out.append(char(0x80 | (c & 0x3F)));
        } else if (c < 0x20 || c == '"' || c == '\\') {
            char esc[6];
            out.append(esc, escapeAscii(esc, c));
        } else {
            out.append(ch);
        }
    }
    out.append('"');
}

} // namespace

void JsonWriter::key(QStringView name)
{
    separate();
    appendString(m_out, name);
    m_out.append(':');
    m_needComma = false;
}

void JsonWriter::key(QLatin1StringView name)
{
    separate();
    appendLatin1String(m_out, name);
    m_out.append(':');
    m_needComma = false;
}

void JsonWriter::null()
{
    separate();
    m_out.append("null", 4);
    m_needComma = true;
}

void JsonWriter::value(QStringView text)
{
    separate();
    appendString(m_out, text);
    m_needComma = true;
}

void JsonWriter::value(QLatin1StringView text)
{
    separate();
    appendLatin1String(m_out, text);
    m_needComma = true;
}

void JsonWriter::value(qint64 number)
{
    separate();
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, number);
    m_out.append(buf, r.ptr - buf);
    m_needComma = true;
}

void JsonWriter::value(double number)
{
    if (!std::isfinite(number)) {
        null();
        return;
    }
    separate();
    // Shortest text that reads back to the same double; whole numbers come
    // out without a fraction ("118").
    char buf[32];
    auto r = std::to_chars(buf, buf + sizeof buf, number);
    m_out.append(buf, r.ptr - buf);
    m_needComma = true;
}

void JsonWriter::value(bool flag)
{
    separate();
    if (flag)
        m_out.append("true", 4);
    else
        m_out.append("false", 5);
    m_needComma = true;
}

void JsonWriter::base64(QByteArrayView bytes)
{
    separate();
    m_out.append('"');
    m_out.append(QByteArray::fromRawData(bytes.data(), bytes.size()).toBase64());
    m_out.append('"');
    m_needComma = true;
}

void JsonWriter::raw(QByteArrayView json)
{
    separate();
    m_out.append(json);
    m_needComma = true;
}

QByteArray JsonWriter::take()
{
    m_needComma = false;
    return std::exchange(m_out, QByteArray());
}

} // namespace kolvar
