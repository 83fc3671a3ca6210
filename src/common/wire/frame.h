#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace kolvar {

// Frames on the connection: a 4-byte big-endian length, then that many bytes
// of UTF-8 JSON.
constexpr qint64 DefaultMaxFrameSize = 64 * 1024 * 1024;

QByteArray encodeFrame(QByteArrayView json);

// Cuts a byte stream into frames. Feed it whatever arrived with append() and
// take complete frames with next(). An oversized length is reported as soon as
// its header is in, without waiting for (or buffering) the body.
class FrameDecoder
{
public:
    explicit FrameDecoder(qint64 maxFrameSize = DefaultMaxFrameSize);

    void setMaxFrameSize(qint64 bytes) { m_max = bytes; }
    qint64 maxFrameSize() const { return m_max; }

    void append(QByteArrayView bytes);
    // The next complete frame's payload; nullopt when none is complete yet or
    // after an error.
    std::optional<QByteArray> next();

    bool hasError() const { return !m_error.isEmpty(); }
    QString errorString() const { return m_error; }
    // Bytes of an incomplete frame are waiting (a truncated frame when the
    // peer has closed).
    bool hasPartialFrame() const { return m_buffer.size() > m_read; }
    qsizetype bufferedBytes() const { return m_buffer.size() - m_read; }
    void reset();

private:
    void checkHeader();

    QByteArray m_buffer;
    qsizetype m_read = 0;
    qint64 m_max;
    QString m_error;
};

} // namespace kolvar
