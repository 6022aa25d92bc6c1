#include "writer/LineScanner.h"

#include "encoding/Utf8.h"


#include <cstring>

namespace {

constexpr QByteArrayView groupAttributeName("group-title=");

// memchr costs little per call and skips long stretches fast: each test below
// looks only where its first letter occurs.
const char *find(const char *from, const char *to, char c)
{
    return from < to ? static_cast<const char *>(std::memchr(from, c, size_t(to - from))) : nullptr;
}

bool at(const char *p, const char *end, QByteArrayView text)
{
    return end - p >= text.size() && std::memcmp(p, text.data(), size_t(text.size())) == 0;
}

// The three directives start with "EXT"; a match cannot run past the line,
// as none holds CR or LF. The header test looks at all bytes, the other two
// at the text only.
void scanDirectives(const char *begin, const char *textEnd, const char *end, LineScanner::Line &line)
{
    for (const char *p = find(begin, end, 'E'); p; p = find(p + 1, end, 'E')) {
        if (!at(p, end, "EXT"))
            continue;
        if (at(p, end, "EXTM3U"))
            line.header = true;
        else if (at(p, textEnd, "EXTINF"))
            line.entry = true;
        else if (at(p, textEnd, "EXTGRP"))
            line.group = true;
    }
}

qsizetype findGroupAttribute(const char *begin, const char *end)
{
    for (const char *p = find(begin + 1, end, 'g'); p; p = find(p + 1, end, 'g')) {
        if (p[-1] == ' ' && at(p, end, groupAttributeName))
            return p - 1 - begin;
    }
    return -1;
}

bool isAscii(QByteArrayView bytes)
{
    uchar any = 0;
    for (const char c : bytes)
        any |= uchar(c);
    return any < 0x80;
}

} // namespace

LineScanner::LineScanner(QByteArrayView copy, InputMode mode)
    : m_p(copy.data())
    , m_end(copy.data() + copy.size())
    , m_utf8(mode == InputMode::Utf8)
    , m_copyWellFormed(m_utf8 && utf8::isValid(copy))
{
}

LineScanner::Line LineScanner::next()
{
    Line line;
    const char *start = m_p;
    const char *lf = find(start, m_end, '\n');
    while (lf && (lf == start || lf[-1] != '\r'))
        lf = find(lf + 1, m_end, '\n'); // a lone LF belongs to the line
    const char *end = lf ? lf - 1 : m_end;
    line.bytes = QByteArrayView(start, end - start);
    line.endsWithCrlf = lf != nullptr;
    m_p = lf ? lf + 1 : m_end;

    const char *nul = m_utf8 ? find(start, end, '\0') : nullptr;
    const char *textEnd = nul ? nul : end;
    line.textSize = textEnd - start;
    scanDirectives(start, textEnd, end, line);
    line.marker = find(start, textEnd, '\x01') != nullptr;
    line.groupAttribute = findGroupAttribute(start, textEnd);
    if (line.groupAttribute >= 0) {
        const char *comma = find(start, textEnd, ',');
        line.comma = comma ? comma - start : -1;
    }
    if (m_utf8)
        line.wellFormed = m_copyWellFormed || utf8::isValid(line.text());
    else
        line.ascii = isAscii(line.text());
    return line;
}
