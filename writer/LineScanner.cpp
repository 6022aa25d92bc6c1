#include "writer/LineScanner.h"

#include "encoding/Utf8.h"

#include <QtEndian>

#include <cstring>

namespace {

constexpr QByteArrayView groupAttributeName("group-title=");

// memchr costs little per call and skips long stretches fast.
const char *find(const char *from, const char *to, char c)
{
    return from < to ? static_cast<const char *>(std::memchr(from, c, size_t(to - from))) : nullptr;
}

bool at(const char *p, const char *end, QByteArrayView text)
{
    return end - p >= text.size() && std::memcmp(p, text.data(), size_t(text.size())) == 0;
}

// A directive at p: the header test looks at all bytes, the other two at
// the text only. None holds CR or LF, so a match cannot run past the line.
void directiveAt(const char *p, const char *textEnd, const char *end, LineScanner::Line &line)
{
    if (at(p, end, "EXTM3U"))
        line.header = true;
    else if (at(p, textEnd, "EXTINF"))
        line.entry = true;
    else if (at(p, textEnd, "EXTGRP"))
        line.group = true;
}

// Whether any of the eight bytes is below 2 (a zero byte or a marker), not
// ASCII, or a letter the tests start with: most words of a line are none of
// these and are passed over whole.
bool worthALook(quint64 w)
{
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 highs = 0x8080808080808080ULL;
    const auto hasZero = [](quint64 v) { return (v - ones) & ~v & highs; };
    return ((w - 2 * ones) & ~w & highs) | (w & highs) | hasZero(w ^ ('E' * ones)) | hasZero(w ^ ('g' * ones));
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
    scanText(line);
    if (line.groupAttribute >= 0) {
        const char *comma = find(start, start + line.textSize, ',');
        line.comma = comma ? comma - start : -1;
    }
    // The whole line becomes "#EXTM3U": neither an entry nor a group line.
    if (line.header)
        line.entry = line.group = false;
    return line;
}

// One pass over the line for all the tests, up to the end of the text; past
// a zero byte that ends it, only the header test goes on.
void LineScanner::scanText(Line &line) const
{
    const char *start = line.bytes.data();
    const char *end = start + line.bytes.size();
    const char *p = start;
    while (p < end) {
        if (end - p >= 8 && !worthALook(qFromUnaligned<quint64>(p))) {
            p += 8;
            continue;
        }
        const char c = *p;
        if (c == '\0' && m_utf8)
            break;
        if (c == 'E') {
            directiveAt(p, end, end, line);
        } else if (c == 'g') {
            if (line.groupAttribute < 0 && p > start && p[-1] == ' ' && at(p, end, groupAttributeName))
                line.groupAttribute = p - 1 - start;
        } else if (c == '\x01') {
            line.marker = true;
        } else if (uchar(c) >= 0x80) {
            p += nonAscii(p, end, line);
            continue;
        }
        ++p;
    }
    line.textSize = p - start;
    for (p = find(p, end, 'E'); p; p = find(p + 1, end, 'E'))
        directiveAt(p, start + line.textSize, end, line);
}

// Looks at the character at p; returns its length.
int LineScanner::nonAscii(const char *p, const char *end, Line &line) const
{
    if (!m_utf8) {
        line.ascii = false;
        return 1;
    }
    const utf8::Decoded d = utf8::decodeOne(reinterpret_cast<const uchar *>(p), reinterpret_cast<const uchar *>(end));
    if (!d.valid)
        line.wellFormed = false;
    return d.length;
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
