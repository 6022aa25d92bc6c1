#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Turns the bytes of a playlist file into the raw working copy: CR vanishes,
// LF ends a line, and every line is written with CR LF; all other bytes stay
// as the playlist has them, so the save can write its lines unchanged. A
// UTF-8 byte-order mark that starts the file is no part of its first line:
// it says how the text is written, and the load has learnt that already.
// Works on blocks of any size; the result does not depend on where the
// blocks are cut.
class RawCopier
{
public:
    void feed(QByteArrayView block, QByteArray &out);
    // Ends the input: a last line without LF is kept if it holds anything.
    void finish(QByteArray &out);

private:
    // The bytes at the start that may be the mark; false once they are not.
    [[nodiscard]] bool takeMark(QByteArrayView &block, QByteArray &out);

    bool m_lineHasBytes = false;
    qsizetype m_markMatched = 0; // -1 once past the start
};
