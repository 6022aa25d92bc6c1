#include "writer/SuffixIndex.h"

#include "encoding/Utf8.h"
#include "writer/Prefetch.h"
#include "writer/SuffixSorter.h"

#include <QtEndian>

#include <algorithm>

namespace {

using Item = SuffixIndex::Item;
using Tail = SuffixIndex::Tail;

// Size of the text without its last `dropped` characters, or -1.
qsizetype shortenedSize(QByteArrayView text, int dropped, bool utf8)
{
    qsizetype end = text.size();
    for (int i = 0; i < dropped; ++i) {
        if (end == 0)
            return -1;
        --end;
        if (utf8) {
            while (end > 0 && utf8::isContinuation(text[end]))
                --end;
        }
    }
    return end;
}

Tail tailOf(QByteArrayView text)
{
    return SuffixSorter::chunkOf(text, 0);
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
int compareToSuffix(Tail tail, QByteArrayView text, Tail suffixTail, QByteArrayView suffix)
{
    const qsizetype known = std::min<qsizetype>(suffix.size(), SuffixIndex::tailBytes);
    if (known > 0 && text.size() >= known) {
        if (const int c = compareTop(tail, suffixTail, known))
            return c;
        if (suffix.size() == known)
            return 0;
    }
    return compareReversed(text.size() > suffix.size() ? text.last(suffix.size()) : text, suffix);
}

} // namespace

SuffixIndex::Suffix::Suffix(QByteArrayView bytes)
    : m_bytes(bytes)
    , m_tail(tailOf(bytes))
{
}

SuffixIndex::SuffixIndex(std::span<const QByteArrayView> texts, int dropped, InputMode mode, TimeSlice &slice)
    : m_texts(texts)
    , m_utf8(mode == InputMode::Utf8)
{
    m_items.reserve(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const qsizetype size = shortenedSize(texts[i], dropped, m_utf8);
        if (size >= 0)
            m_items.push_back({tailOf(texts[i].first(size)), qint32(size), qint32(i)});
    }
    // Most texts share their last eight bytes with some other: the eight
    // before them are taken in one pass in text order, not item by item.
    const auto second = [this, texts, dropped](BigVector<Tail> &chunks) {
        chunks.resize(texts.size());
        for (size_t i = 0; i < texts.size(); ++i) {
            const qsizetype size = shortenedSize(texts[i], dropped, m_utf8);
            if (size >= 0)
                chunks[i] = SuffixSorter::chunkOf(texts[i].first(size), 1);
        }
    };
    m_complete = SuffixSorter(texts, m_items, m_shared, second).run(slice);
}

std::span<const SuffixIndex::Item> SuffixIndex::endingWith(const Suffix &suffix) const
{
    const size_t first = lowerBound(suffix, 0, m_items.size());
    if (first == m_items.size() || compare(first, suffix) != 0)
        return {};
    return endingWithAround(suffix, first);
}

std::span<const SuffixIndex::Item> SuffixIndex::endingWithAround(const Suffix &suffix, size_t position) const
{
    const qsizetype length = suffix.m_bytes.size();
    size_t first = position;
    size_t end = position + 1;
    if (length > 255) {
        // Longer than the shared counts go.
        first = rangeStart(suffix, position);
        end = rangeEnd(suffix, position);
    } else {
        while (first > 0 && m_shared[first] >= length)
            --first;
        while (end < m_items.size() && m_shared[end] >= length)
            ++end;
    }
    return std::span<const Item>(m_items).subspan(first, end - first);
}

bool SuffixIndex::endingWithGap(QByteArrayView before, int count, QByteArrayView after,
                                std::span<const Item> within, size_t maxRuns,
                                std::vector<std::span<const Item>> &ranges) const
{
    // Runs of items with the same `count` characters before `after` follow
    // each other; in each, the items that also have `before` in front are a
    // range of their own.
    if (within.empty())
        return true;
    QByteArray joined = before.toByteArray();
    const qsizetype joint = joined.size();
    const size_t begin = size_t(within.data() - m_items.data());
    const size_t end = begin + within.size();
    size_t runs = 0;
    for (size_t at = begin; at < end;) {
        const QByteArrayView text = shortened(m_items[at]);
        const qsizetype cut = shortenedSize(text.chopped(after.size()), count, m_utf8);
        if (cut < 0) {
            ++at; // too short to have that many characters there
            continue;
        }
        if (++runs > maxRuns)
            return false;
        const QByteArrayView last = text.sliced(cut);
        const size_t runEnd = rangeEnd(Suffix(last), at);
        joined.truncate(joint);
        joined.append(last);
        const Suffix wanted(joined);
        const size_t first = lowerBound(wanted, at, runEnd);
        if (first < runEnd && compare(first, wanted) == 0) {
            // Still inside the run, so the shared counts cannot lead past it.
            ranges.push_back(endingWithAround(wanted, first));
        }
        at = runEnd;
    }
    return true;
}

size_t SuffixIndex::lowerBound(const Suffix &suffix, size_t first, size_t end) const
{
    for (size_t count = end - first; count > 0;) {
        const size_t half = count / 2;
        if (compare(first + half, suffix) < 0) {
            first += half + 1;
            count -= half + 1;
        } else {
            count = half;
        }
    }
    return first;
}

// The range around an item known to end with the suffix is usually short:
// gallop from the item, then bisect.
size_t SuffixIndex::rangeStart(const Suffix &suffix, size_t position) const
{
    // The start lies in [below, first]; first ends with the suffix.
    size_t first = position;
    size_t below = 0;
    for (size_t step = 1; first > 0; step *= 2) {
        const size_t probe = first > step ? first - step : 0;
        if (compare(probe, suffix) != 0) {
            below = probe + 1;
            break;
        }
        first = probe;
    }
    while (below < first) {
        const size_t middle = below + (first - below) / 2;
        if (compare(middle, suffix) == 0)
            first = middle;
        else
            below = middle + 1;
    }
    return first;
}

size_t SuffixIndex::rangeEnd(const Suffix &suffix, size_t position) const
{
    // The end lies in [last + 1, above + 1]; last ends with the suffix.
    size_t last = position;
    size_t above = m_items.size() - 1;
    for (size_t step = 1; last < m_items.size() - 1; step *= 2) {
        const size_t probe = std::min(last + step, m_items.size() - 1);
        if (compare(probe, suffix) != 0) {
            above = probe - 1;
            break;
        }
        last = probe;
    }
    while (last < above) {
        const size_t middle = above - (above - last) / 2;
        if (compare(middle, suffix) == 0)
            last = middle;
        else
            above = middle - 1;
    }
    return last + 1;
}

bool SuffixIndex::endsWith(size_t position, const Suffix &suffix) const
{
    return compare(position, suffix) == 0;
}

void SuffixIndex::prefetch(size_t position) const
{
    prefetchLine(&m_items[position]);
    prefetchLine(&m_shared[position]);
}

void SuffixIndex::prefetchText(size_t position) const
{
    prefetchLine(&m_texts[size_t(m_items[position].entry)]);
}

bool SuffixIndex::aloneEndingWith(size_t position, qsizetype length) const
{
    if (length > 255)
        return false; // past what the shared counts tell
    return (position == 0 || m_shared[position] < length)
        && (position + 1 == m_items.size() || m_shared[position + 1] < length);
}

BigVector<qint32> SuffixIndex::positionsOfTexts() const
{
    BigVector<qint32> positions(m_texts.size(), -1);
    for (size_t p = 0; p < m_items.size(); ++p)
        positions[size_t(m_items[p].entry)] = qint32(p);
    return positions;
}

int SuffixIndex::compare(size_t position, const Suffix &suffix) const
{
    const Item &item = m_items[position];
    return compareToSuffix(item.tail, shortened(item), suffix.m_tail, suffix.m_bytes);
}
