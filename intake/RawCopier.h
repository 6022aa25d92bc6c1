#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Turns the bytes of a playlist file into the raw working copy: CR vanishes,
// LF ends a line, and every line is written with CR LF; all other bytes stay
// as the playlist has them, so the save can write its lines unchanged. Works
// on blocks of any size; the result does not depend on where the blocks are
// cut.
class RawCopier
{
public:
    void feed(QByteArrayView block, QByteArray &out);
    // Ends the input: a last line without LF is kept if it holds anything.
    void finish(QByteArray &out);

private:
    bool m_lineHasBytes = false;
};
