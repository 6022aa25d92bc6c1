#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

// Reads a normalised copy line by line and learns everything the writer asks
// of each line. A line ends at CR LF; text after the last CR LF is one more
// line. A line's text is, in UTF-8 mode, its bytes up to the first zero byte
// (what DecodeUTF8 reads) and, in ANSI mode, all of its bytes.
class LineScanner
{
public:
    struct Line
    {
        QByteArrayView bytes; // without CR LF
        bool endsWithCrlf = false;
        qsizetype textSize = 0;
        bool header = false;    // EXTM3U anywhere in the bytes
        bool entry = false;     // EXTINF in the text
        bool group = false;     // EXTGRP in the text
        bool marker = false;    // U+0001 in the text
        bool ascii = true;      // ANSI mode: only ASCII in the text
        bool wellFormed = true; // UTF-8 mode: the text is well-formed UTF-8
        qsizetype groupAttribute = -1; // the first " group-title=" in the text
        qsizetype comma = -1;          // the first ',' in the text, when there is such an attribute

        [[nodiscard]] QByteArrayView text() const { return bytes.first(textSize); }
    };

    LineScanner(QByteArrayView copy, InputMode mode);

    [[nodiscard]] bool atEnd() const { return m_p == m_end; }
    [[nodiscard]] Line next();

private:
    const char *m_p;
    const char *m_end;
    bool m_utf8;
    bool m_copyWellFormed;
};
