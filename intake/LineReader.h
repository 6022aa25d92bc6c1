#pragma once

#include <QByteArrayView>

#include <memory>

class QIODevice;

// The block to read the rest of the device in: `largest`, or less for a small
// file (its size and one byte, to see the end).
[[nodiscard]] qsizetype readBlockSize(const QIODevice &device, qsizetype largest);

// Reads a working file line by line in large blocks. A line ends at LF; a CR
// before the LF is not part of it. A last line without LF is returned too.
class LineReader
{
public:
    explicit LineReader(QIODevice &device, qsizetype blockSize = 4 << 20);

    // The next line, valid until the next call; false at the end or on a
    // read error (see failed()).
    [[nodiscard]] bool next(QByteArrayView &line);
    [[nodiscard]] bool failed() const { return m_failed; }

private:
    // Moves the unread tail to the front and reads more after it; false when
    // nothing more came.
    bool fill();

    QIODevice &m_device;
    qsizetype m_capacity;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_begin = 0; // the unread bytes are [m_begin, m_end)
    qsizetype m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};
