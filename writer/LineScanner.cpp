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
    // The whole line becomes "#EXTM3U": neither an entry nor a group line.
    if (line.header)
        line.entry = line.group = false;
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

// The LF of the CR LF that ends the line starting at `from`, or null.
const char *findCrlfEnd(const char *from, const char *end)
{
    const char *lf = find(from, end, '\n');
    while (lf && (lf == from || lf[-1] != '\r'))
        lf = find(lf + 1, end, '\n'); // a lone LF belongs to the line
    return lf;
}

} // namespace

bool LineScanner::Line::clean() const
{
    const bool sameText = textSize == bytes.size() && wellFormed && ascii;
    return sameText && endsWithCrlf && !marker && !header && !group;
}

LineScanner::LineScanner(QByteArrayView copy, InputMode mode)
    : m_copy(copy)
    , m_utf8(mode == InputMode::Utf8)
{
}

LineScanner::Line LineScanner::read(qsizetype at) const
{
    Line line;
    const char *start = m_copy.data() + at;
    const char *copyEnd = m_copy.data() + m_copy.size();
    const char *lf = findCrlfEnd(start, copyEnd);
    const char *end = lf ? lf - 1 : copyEnd;
    line.start = at;
    line.next = lf ? lf + 1 - m_copy.data() : m_copy.size();
    line.bytes = QByteArrayView(start, end - start);
    line.endsWithCrlf = lf != nullptr;

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
        line.wellFormed = utf8::isValid(line.text());
    else
        line.ascii = isAscii(line.text());
    return line;
}

qsizetype LineScanner::findEntryCandidate(qsizetype from) const
{
    const char *begin = m_copy.data();
    const char *end = begin + m_copy.size();
    const char *hit = begin + from;
    for (;; ++hit) {
        hit = find(hit, end, 'X');
        if (!hit)
            return -1;
        if (hit - begin > from && hit[-1] == 'E' && at(hit + 1, end, "TINF"))
            break;
    }
    // Back to the start of its line: the last CR LF before it, or `from`.
    for (const char *p = hit - 1; p > begin + from; --p) {
        if (p[0] == '\n' && p[-1] == '\r')
            return p + 1 - begin;
    }
    return from;
}
