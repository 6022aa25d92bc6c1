#pragma once

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Reads a working file line by line in large blocks. A line ends at LF; a CR
// before the LF is not part of it. A last line without LF is returned too.
class LineReader
{
public:
    explicit LineReader(QIODevice &device, qsizetype blockSize = 1 << 20);

    // The next line, valid until the next call; false at the end or on a
    // read error (see failed()).
    [[nodiscard]] bool next(QByteArrayView &line);
    [[nodiscard]] bool failed() const { return m_failed; }

private:
    bool fill();

    QIODevice &m_device;
    qsizetype m_blockSize;
    QByteArray m_buffer;
    qsizetype m_pos = 0;
    bool m_atEnd = false;
    bool m_failed = false;
};
