#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

#include <memory>

class QIODevice;

// The block to read the rest of the device in: `largest`, or less for a small
// file (its size and one byte, to see the end).
[[nodiscard]] qsizetype readBlockSize(const QIODevice &device, qsizetype largest);

// Reads a working file line by line in large blocks. A line ends at LF; a CR
// before the LF is not part of it. A last line without LF is returned too.
//
// A line longer than longLine is never held whole, so that no line needs more
// memory than that: next() gives its first piece and inPieces() is true, and
// nextPiece() gives the others, up to its end.
class LineReader
{
public:
    static constexpr qsizetype defaultBlockSize = qsizetype(4) << 20;
    static constexpr qsizetype defaultLongLine = qsizetype(4) << 20;

    explicit LineReader(QIODevice &device, qsizetype blockSize = defaultBlockSize,
                        qsizetype longLine = defaultLongLine);

    // The next line, or the first piece of a long one; valid until the next
    // call. False at the end or on a read error (see failed()).
    [[nodiscard]] bool next(QByteArrayView &line);
    [[nodiscard]] bool inPieces() const { return m_inPieces; }
    // The next piece of a long line; false once it has ended.
    [[nodiscard]] bool nextPiece(QByteArrayView &piece);
    // Where the line in pieces starts in the device, to read it again.
    [[nodiscard]] qint64 lineStart() const { return m_lineStart; }
    [[nodiscard]] bool failed() const { return m_failed; }

    // What the mode reads of the line or piece just given (as
    // channelEntry::readPart): the zero bytes are looked for from one to the
    // next in the buffer, not in every line, as playlists hardly hold any.
    [[nodiscard]] QByteArrayView readPart(QByteArrayView line, InputMode mode);

private:
    // Moves the unread tail to the front and reads more after it; false when
    // nothing more came.
    bool fill();
    // The unread bytes up to this LF, less a CR before it; the LF is read too.
    QByteArrayView takeUpTo(const char *lf);
    // The unread bytes up to the end of the buffer, less a CR that may be the
    // one before the line's LF.
    QByteArrayView takePiece();

    QIODevice &m_device;
    qsizetype m_longLine;
    qsizetype m_capacity;
    std::unique_ptr<char[]> m_buffer;
    qsizetype m_begin = 0; // the unread bytes are [m_begin, m_end)
    qsizetype m_end = 0;
    bool m_atEnd = false;
    bool m_failed = false;
    bool m_inPieces = false;
    qint64 m_lineStart = 0;
    qsizetype m_zero = -1; // the next zero byte from here in the buffer (m_end: none); -1: to be looked for
};
