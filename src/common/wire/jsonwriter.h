#pragma once

#include <QByteArray>
#include <QString>

namespace kolvar {

// Streams JSON text into a byte buffer, keeping members in the order they
// are written (object members of transfer objects are ordered on the wire).
// The caller is responsible for well-formed nesting; commas are automatic.
class JsonWriter
{
public:
    JsonWriter();

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(QStringView name);
    void key(QLatin1StringView name);

    void null();
    void value(QStringView text);
    void value(QLatin1StringView text);
    void value(const char *) = delete; // say which encoding
    void value(qint64 number);
    void value(int number) { value(qint64(number)); }
    void value(double number); // shortest text that reads back to the same double
    void value(bool flag);
    void base64(QByteArrayView bytes);
    void raw(QByteArrayView json); // an already encoded JSON value

    const QByteArray &data() const { return m_out; }
    QByteArray take();

private:
    void separate();
    QByteArray m_out;
    bool m_needComma = false;
};

} // namespace kolvar
