#include "intake/LineReader.h"

#include <QIODevice>

#include <cstring>

LineReader::LineReader(QIODevice &device, qsizetype blockSize)
    : m_device(device)
    , m_blockSize(blockSize)
{
}

bool LineReader::fill()
{
    // Keep the unread tail (a line cut by the block end) and append a block.
    m_buffer.remove(0, m_pos);
    m_pos = 0;
    const qsizetype old = m_buffer.size();
    m_buffer.resize(old + m_blockSize);
    const qint64 got = m_device.read(m_buffer.data() + old, m_blockSize);
    if (got < 0) {
        m_failed = true;
        m_buffer.truncate(old);
        return false;
    }
    m_buffer.truncate(old + got);
    if (got == 0)
        m_atEnd = true;
    return got > 0;
}

bool LineReader::next(QByteArrayView &line)
{
    qsizetype scanned = m_pos; // the current line has no LF before this
    for (;;) {
        const char *data = m_buffer.constData();
        const void *lf = scanned < m_buffer.size()
            ? std::memchr(data + scanned, '\n', size_t(m_buffer.size() - scanned))
            : nullptr;
        if (lf) {
            const qsizetype end = static_cast<const char *>(lf) - data;
            qsizetype lineEnd = end;
            if (lineEnd > m_pos && data[lineEnd - 1] == '\r')
                --lineEnd;
            line = QByteArrayView(data + m_pos, lineEnd - m_pos);
            m_pos = end + 1;
            return true;
        }
        const qsizetype tail = m_buffer.size() - m_pos;
        if (m_atEnd || m_failed || !fill()) {
            if (m_failed || tail == 0)
                return false;
            line = QByteArrayView(m_buffer.constData() + m_pos, tail);
            m_pos = m_buffer.size();
            return true;
        }
        scanned = tail; // fill() moved the tail to the front
    }
}
