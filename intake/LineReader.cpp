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

LineReader::LineReader(QIODevice &device, qsizetype blockSize, qsizetype longLine)
    : m_device(device)
    , m_longLine(std::max<qsizetype>(longLine, 1))
    , m_capacity(std::min(readBlockSize(device, blockSize), m_longLine + 2))
    , m_buffer(new char[size_t(m_capacity)])
{
}

bool LineReader::fill()
{
    const qsizetype tail = m_end - m_begin;
    if (tail == m_capacity) {
        // A line longer than the buffer: the buffer grows, up to a long line.
        m_capacity = std::min(2 * m_capacity, m_longLine + 2);
        std::unique_ptr<char[]> bigger(new char[size_t(m_capacity)]);
        std::memcpy(bigger.get(), m_buffer.get() + m_begin, size_t(tail));
        m_buffer = std::move(bigger);
    } else if (m_begin > 0) {
        std::memmove(m_buffer.get(), m_buffer.get() + m_begin, size_t(tail));
    }
    m_begin = 0;
    m_end = tail;
    m_zero = -1;
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
    m_inPieces = false;
    qsizetype scanned = m_begin; // the current line has no LF before this
    for (;;) {
        const char *data = m_buffer.get();
        const auto lf = static_cast<const char *>(std::memchr(data + scanned, '\n', size_t(m_end - scanned)));
        if (lf) {
            line = takeUpTo(lf);
            return true;
        }
        const qsizetype tail = m_end - m_begin;
        if (tail >= m_longLine) {
            m_inPieces = true;
            m_lineStart = m_device.pos() - tail;
            line = takePiece();
            return true;
        }
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

QByteArrayView LineReader::takeUpTo(const char *lf)
{
    const char *const data = m_buffer.get();
    qsizetype end = lf - data;
    if (end > m_begin && data[end - 1] == '\r')
        --end;
    const QByteArrayView taken(data + m_begin, end - m_begin);
    m_begin = lf - data + 1;
    return taken;
}

QByteArrayView LineReader::takePiece()
{
    qsizetype size = m_end - m_begin;
    if (size > 0 && m_buffer[size_t(m_end - 1)] == '\r')
        --size;
    const QByteArrayView piece(m_buffer.get() + m_begin, size);
    m_begin += size;
    return piece;
}

bool LineReader::nextPiece(QByteArrayView &piece)
{
    while (m_inPieces) {
        const char *data = m_buffer.get();
        const auto lf = static_cast<const char *>(std::memchr(data + m_begin, '\n', size_t(m_end - m_begin)));
        if (lf) {
            piece = takeUpTo(lf);
            m_inPieces = false;
            return true;
        }
        // A lone CR waits for the next byte: it may stand before the LF.
        const bool onlyCr = m_end - m_begin == 1 && data[m_begin] == '\r';
        if (m_end > m_begin && !onlyCr) {
            piece = takePiece();
            return true;
        }
        if (m_atEnd || m_failed || !fill()) {
            m_inPieces = false;
            if (m_failed || m_end == m_begin)
                return false;
            piece = QByteArrayView(m_buffer.get() + m_begin, m_end - m_begin);
            m_begin = m_end;
            return true;
        }
    }
    return false;
}

QByteArrayView LineReader::readPart(QByteArrayView line, InputMode mode)
{
    if (mode == InputMode::Ansi || line.isEmpty())
        return line;
    const char *const data = m_buffer.get();
    const qsizetype start = line.data() - data;
    Q_ASSERT(start >= 0 && start + line.size() <= m_end);
    if (m_zero < start) {
        const auto zero = static_cast<const char *>(std::memchr(data + start, 0, size_t(m_end - start)));
        m_zero = zero ? zero - data : m_end;
    }
    return line.first(std::min(line.size(), m_zero - start));
}
