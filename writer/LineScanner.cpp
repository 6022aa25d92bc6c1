#include "writer/LineScanner.h"

#include "encoding/Utf8.h"

#include <QtAlgorithms>
#include <QtEndian>

#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#endif

namespace {

constexpr QByteArrayView groupAttributeName("group-title=");

// memchr costs little per call and skips long stretches fast.
const char *find(const char *from, const char *to, char c)
{
    return from < to ? static_cast<const char *>(std::memchr(from, c, size_t(to - from))) : nullptr;
}

bool holdsAt(const char *p, const char *end, QByteArrayView text)
{
    return end - p >= text.size() && std::memcmp(p, text.data(), size_t(text.size())) == 0;
}

// A directive at p. None holds CR, LF or a zero byte, so a match lies
// within the line, and within its text when p does.
void directiveAt(const char *p, const char *end, bool inText, LineScanner::Line &line)
{
    if (holdsAt(p, end, "EXTM3U"))
        line.header = true;
    else if (inText && holdsAt(p, end, "EXTINF"))
        line.entry = true;
    else if (inText && holdsAt(p, end, "EXTGRP"))
        line.group = true;
}

// The bytes a line's reading stops at: LF (perhaps its end), a zero byte or a
// marker, any non-ASCII byte, and the letters the tests start with. Most
// bytes of a line are none of these, and are passed over many at a time.
bool notable(char c)
{
    return c == '\n' || c == 'E' || c == 'g' || uchar(c) < 2 || uchar(c) >= 0x80;
}

const char *nextNotable(const char *p, const char *end)
{
#if defined(__SSE2__) || defined(_M_X64)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i e = _mm_set1_epi8('E');
    const __m128i g = _mm_set1_epi8('g');
    const __m128i one = _mm_set1_epi8(1);
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const __m128i letters = _mm_or_si128(_mm_cmpeq_epi8(v, e), _mm_cmpeq_epi8(v, g));
        const __m128i low = _mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(_mm_min_epu8(v, one), v));
        // The high bit of each byte: a hit, or a non-ASCII byte.
        const uint mask = uint(_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(letters, low), v)));
        if (mask)
            return p + qCountTrailingZeroBits(mask);
    }
#else
    constexpr quint64 ones = 0x0101010101010101ULL;
    constexpr quint64 highs = 0x8080808080808080ULL;
    // Exact for the lowest flagged byte, which is all that is used.
    const auto zeroByte = [](quint64 v) { return (v - ones) & ~v & highs; };
    for (; end - p >= 8; p += 8) {
        const quint64 w = qFromLittleEndian<quint64>(p);
        const quint64 mask = zeroByte(w ^ ('\n' * ones)) | zeroByte(w ^ ('E' * ones)) | zeroByte(w ^ ('g' * ones))
            | ((w - 2 * ones) & ~w & highs) | (w & highs);
        if (mask)
            return p + qCountTrailingZeroBits(mask) / 8;
    }
#endif
    while (p < end && !notable(*p))
        ++p;
    return p;
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

// One pass over the line finds its end and does all the tests; past a zero
// byte that ends the text, only the header test goes on.
LineScanner::Line LineScanner::read(qsizetype at) const
{
    Line line;
    const char *start = m_copy.data() + at;
    const char *end = m_copy.data() + m_copy.size();
    const char *textEnd = nullptr;
    const char *p = start;
    for (;; ++p) {
        p = nextNotable(p, end);
        if (p == end)
            break;
        const char c = *p;
        if (c == '\n') {
            if (p > start && p[-1] == '\r')
                break;
            continue; // a lone LF belongs to the line
        }
        if (c == 'E') {
            directiveAt(p, end, !textEnd, line);
            continue;
        }
        if (textEnd)
            continue;
        if (c == 'g') {
            if (line.groupAttribute < 0 && p > start && p[-1] == ' ' && holdsAt(p, end, groupAttributeName))
                line.groupAttribute = p - 1 - start;
        } else if (c == '\x01') {
            line.marker = true;
        } else if (c == '\0') {
            if (m_utf8)
                textEnd = p;
        } else {
            p += nonAscii(p, end, line) - 1; // continuation bytes are never notable
        }
    }
    line.start = at;
    line.endsWithCrlf = p != end;
    const char *bytesEnd = line.endsWithCrlf ? p - 1 : end;
    line.next = line.endsWithCrlf ? p + 1 - m_copy.data() : m_copy.size();
    line.bytes = QByteArrayView(start, bytesEnd - start);
    line.textSize = (textEnd ? textEnd : bytesEnd) - start;
    if (line.groupAttribute >= 0) {
        const char *comma = find(start, start + line.textSize, ',');
        line.comma = comma ? comma - start : -1;
    }
    // The whole line becomes "#EXTM3U": neither an entry nor a group line.
    if (line.header)
        line.entry = line.group = false;
    return line;
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
        if (hit - begin > from && hit[-1] == 'E' && holdsAt(hit + 1, end, "TINF"))
            break;
    }
    // Back to the start of its line: the last CR LF before it, or `from`.
    for (const char *p = hit - 1; p > begin + from; --p) {
        if (p[0] == '\n' && p[-1] == '\r')
            return p + 1 - begin;
    }
    return from;
}
