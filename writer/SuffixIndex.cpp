#include "writer/SuffixIndex.h"

#include <QtEndian>

#include <algorithm>

namespace {

using Tail = SuffixIndex::Tail;

bool isContinuation(char byte)
{
    return (uchar(byte) & 0xC0) == 0x80;
}

// Size of the text without its last `dropped` characters, or -1.
qsizetype shortenedSize(QByteArrayView text, int dropped, bool utf8)
{
    qsizetype end = text.size();
    for (int i = 0; i < dropped; ++i) {
        if (end == 0)
            return -1;
        --end;
        if (utf8) {
            while (end > 0 && isContinuation(text[end]))
                --end;
        }
    }
    return end;
}

// Up to eight bytes ending `skip` bytes before the end, the last one most
// significant: eight bytes read as a little-endian number are exactly that.
quint64 reversedWord(QByteArrayView text, qsizetype skip)
{
    const qsizetype end = text.size() - skip;
    if (end >= 8)
        return qFromLittleEndian<quint64>(text.data() + end - 8);
    quint64 word = 0;
    for (qsizetype i = 0; i < end; ++i)
        word |= quint64(uchar(text[end - 1 - i])) << (56 - 8 * i);
    return word;
}

Tail tailOf(QByteArrayView text)
{
    Tail tail{};
    for (int w = 0; w < SuffixIndex::tailWords && 8 * w < text.size(); ++w)
        tail[size_t(w)] = reversedWord(text, 8 * w);
    return tail;
}

// Orders texts by their reversed bytes, eight at a time.
int compareReversed(QByteArrayView a, QByteArrayView b)
{
    const char *pa = a.data() + a.size();
    const char *pb = b.data() + b.size();
    qsizetype n = std::min(a.size(), b.size());
    for (; n >= 8; n -= 8) {
        pa -= 8;
        pb -= 8;
        const auto wa = qFromLittleEndian<quint64>(pa);
        const auto wb = qFromLittleEndian<quint64>(pb);
        if (wa != wb)
            return wa < wb ? -1 : 1;
    }
    for (; n > 0; --n) {
        const uchar ca = uchar(*--pa);
        const uchar cb = uchar(*--pb);
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

int compareTails(const Tail &a, const Tail &b)
{
    for (size_t w = 0; w < a.size(); ++w) {
        if (a[w] != b[w])
            return a[w] < b[w] ? -1 : 1;
    }
    return 0;
}

// Compares the first `bytes` (at most eight) of two reversed words.
int compareTop(quint64 a, quint64 b, qsizetype bytes)
{
    const int dropped = 8 * int(8 - bytes);
    a >>= dropped;
    b >>= dropped;
    return a == b ? 0 : (a < b ? -1 : 1);
}

// 0 when the text ends with the suffix; otherwise where the text lies, in
// reversed order, relative to the texts that do.
int compareToSuffix(const Tail &tail, QByteArrayView text, const Tail &suffixTail, QByteArrayView suffix)
{
    const qsizetype known = std::min<qsizetype>(suffix.size(), 8 * SuffixIndex::tailWords);
    if (known > 0 && text.size() >= known) {
        for (qsizetype w = 0; 8 * w < known; ++w) {
            if (const int c = compareTop(tail[size_t(w)], suffixTail[size_t(w)], std::min<qsizetype>(known - 8 * w, 8)))
                return c;
        }
        if (suffix.size() == known)
            return 0;
    }
    return compareReversed(text.size() > suffix.size() ? text.last(suffix.size()) : text, suffix);
}

} // namespace

SuffixIndex::SuffixIndex(std::span<const QByteArrayView> texts, std::span<const qint32> ids, int dropped,
                         InputMode mode)
{
    const bool utf8 = mode == InputMode::Utf8;
    m_items.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const qsizetype size = shortenedSize(texts[i], dropped, utf8);
        if (size >= 0)
            m_items.push_back({tailOf(texts[i].first(size)), texts[i], size, ids[i]});
    }
    std::sort(m_items.begin(), m_items.end(), [](const Item &a, const Item &b) {
        if (const int c = compareTails(a.tail, b.tail))
            return c < 0;
        if (const int c = compareReversed(a.text.first(a.size), b.text.first(b.size)))
            return c < 0;
        return a.id < b.id;
    });
}

std::span<const SuffixIndex::Item> SuffixIndex::endingWith(QByteArrayView suffix) const
{
    const Tail suffixTail = tailOf(suffix);
    const auto compare = [&](size_t i) {
        const Item &item = m_items[i];
        return compareToSuffix(item.tail, item.text.first(item.size), suffixTail, suffix);
    };
    size_t first = 0;
    for (size_t count = m_items.size(); count > 0;) {
        const size_t half = count / 2;
        if (compare(first + half) < 0) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    // The range is usually short: gallop from its start, then bisect.
    // Everything in [first, matched) ends with the suffix.
    size_t matched = first;
    size_t probe = first;
    for (size_t step = 1; probe < m_items.size() && compare(probe) == 0; step *= 2) {
        matched = probe + 1;
        probe += step;
    }
    for (size_t end = std::min(probe, m_items.size()); matched < end;) {
        const size_t middle = matched + (end - matched) / 2;
        if (compare(middle) == 0)
            matched = middle + 1;
        else
            end = middle;
    }
    return std::span<const Item>(m_items).subspan(first, matched - first);
}
