#include "frame.h"

#include <QtEndian>

namespace kolvar {

QByteArray encodeFrame(QByteArrayView json)
{
    QByteArray frame(4 + json.size(), Qt::Uninitialized);
    qToBigEndian<quint32>(quint32(json.size()), frame.data());
    if (!json.isEmpty()) // a default view has no data pointer at all
        memcpy(frame.data() + 4, json.data(), json.size());
    return frame;
}

FrameDecoder::FrameDecoder(qint64 maxFrameSize) : m_max(maxFrameSize) {}

void FrameDecoder::reset()
{
    m_buffer.clear();
    m_read = 0;
    m_error.clear();
}

void FrameDecoder::checkHeader()
{
    if (m_error.isEmpty() && m_buffer.size() - m_read >= 4) {
        const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_read);
        if (qint64(length) > m_max)
            m_error = QStringLiteral("frame too large: %1 bytes announced, at most %2 allowed")
                          .arg(length)
                          .arg(m_max);
    }
}

void FrameDecoder::append(QByteArrayView bytes)
{
    if (hasError())
        return; // nothing after a bad header can be trusted
    if (m_read > 0 && m_read >= m_buffer.size() / 2) {
        m_buffer.remove(0, m_read);
        m_read = 0;
    }
    m_buffer.append(bytes);
    checkHeader();
}

std::optional<QByteArray> FrameDecoder::next()
{
    if (hasError() || m_buffer.size() - m_read < 4)
        return std::nullopt;
    const quint32 length = qFromBigEndian<quint32>(m_buffer.constData() + m_read);
    if (m_buffer.size() - m_read - 4 < qint64(length))
        return std::nullopt;
    QByteArray frame;
    if (m_read == 0 && m_buffer.size() == 4 + qsizetype(length)) {
        // The usual case: the buffer holds exactly one frame.
        frame = std::move(m_buffer);
        frame.remove(0, 4);
        m_buffer = QByteArray();
        m_read = 0;
    } else {
        frame = m_buffer.mid(m_read + 4, length);
        m_read += 4 + qsizetype(length);
        if (m_read == m_buffer.size()) {
            m_buffer.clear();
            m_read = 0;
        }
    }
    checkHeader();
    return frame;
}

} // namespace kolvar
