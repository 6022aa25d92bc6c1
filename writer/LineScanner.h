#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

// Reads lines of a normalised copy and learns everything the writer asks of
// each. A line ends at CR LF; text after the last CR LF is one more line. A
// line's text is, in UTF-8 mode, its bytes up to the first zero byte (what
// DecodeUTF8 reads) and, in ANSI mode, all of its bytes.
class LineScanner
{
public:
    struct Line
    {
        qsizetype start = 0;
        qsizetype next = 0; // where the next line starts; the copy's size after the last
        QByteArrayView bytes; // without CR LF
        bool endsWithCrlf = false;
        qsizetype textSize = 0;
        bool header = false;    // EXTM3U anywhere in the bytes
        bool entry = false;     // EXTINF in the text, and no header
        bool group = false;     // EXTGRP in the text
        bool marker = false;    // U+0001 in the text
        bool ascii = true;      // ANSI mode: only ASCII in the text
        bool wellFormed = true; // UTF-8 mode: the text is well-formed UTF-8
        qsizetype groupAttribute = -1; // the first " group-title=" in the text
        qsizetype comma = -1;          // the first ',' in the text, when there is such an attribute

        [[nodiscard]] QByteArrayView text() const { return bytes.first(textSize); }
        // The written bytes are the line's own, CR LF included (perhaps less a cut).
        [[nodiscard]] bool clean() const;
    };

    LineScanner(QByteArrayView copy, InputMode mode);

    [[nodiscard]] qsizetype size() const { return m_copy.size(); }
    // The line that starts at `at` (< size()).
    [[nodiscard]] Line read(qsizetype at) const;
    // The start of the first line at or after the line start `from` whose bytes
    // hold EXTINF, or -1. Lines without it are passed over unread.
    [[nodiscard]] qsizetype findEntryCandidate(qsizetype from) const;

private:
    [[nodiscard]] int nonAscii(const char *p, const char *end, Line &line) const;

    QByteArrayView m_copy;
    bool m_utf8;
};
