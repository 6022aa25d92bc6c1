#include "intake/LineReader.h"

#include <QIODevice>

#include <algorithm>
#include <cstring>

qsizetype readBlockSize(const QIODevice &device, qsizetype largest)
{
    if (device.isSequential())
        return largest;
    return std::clamp<qint64>(device.size() - device.pos() + 1, 1, largest);
}

LineReader::LineReader(QIODevice &device, qsizetype blockSize)
    : m_device(device)
    , m_capacity(readBlockSize(device, blockSize))
    , m_buffer(new char[size_t(m_capacity)])
{
}

bool LineReader::fill()
{
    const qsizetype tail = m_end - m_begin;
    if (tail == m_capacity) {
        // One line longer than the buffer: the buffer grows with it.
        m_capacity *= 2;
        std::unique_ptr<char[]> bigger(new char[size_t(m_capacity)]);
        std::memcpy(bigger.get(), m_buffer.get() + m_begin, size_t(tail));
        m_buffer = std::move(bigger);
    } else if (m_begin > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, size_t(tail));
    }
    m_begin = 0;
    m_end = tail;
    const qint64 got = m_device.read(m_buffer.get() + m_end, m_capacity - m_end);
    if (got < 0)
        m_failed = true;
    else if (got == 0)
        m_atEnd = true;
    else
        m_end += got;
    return got > 0;
}

bool LineReader::next(QByteArrayView &line)
{
    qsizetype scanned = m_begin; // the current line has no LF before this
    for (;;) {
        const char *data = m_buffer.get();
        const auto lf = static_cast<const char *>(std::memchr(data + scanned, '\n', size_t(m_end - scanned)));
        if (lf) {
            qsizetype lineEnd = lf - data;
            if (lineEnd > m_begin && data[lineEnd - 1] == '\r')
                --lineEnd;
            line = QByteArrayView(data + m_begin, lineEnd - m_begin);
            m_begin = lf - data + 1;
            return true;
        }
        const qsizetype tail = m_end - m_begin;
        if (m_atEnd || m_failed || !fill()) {
            if (m_failed || tail == 0)
                return false;
            line = QByteArrayView(m_buffer.get() + m_begin, tail);
            m_begin = m_end;
            return true;
        }
        scanned = tail; // fill() moved the tail to the front
    }
}
