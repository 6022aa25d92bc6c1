#include "writer/SuffixIndex.h"

#include "writer/Prefetch.h"

#include <QtEndian>

#include <algorithm>
#include <bit>
#include <utility>

namespace {

using Item = SuffixIndex::Item;
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

// Bytes -16 * chunk - 1 to -16 * chunk - 16 of the text, as a tail.
Tail chunkOf(QByteArrayView text, int chunk)
{
    const qsizetype skip = qsizetype(SuffixIndex::tailBytes) * chunk;
    Tail tail{};
    if (skip < text.size())
        tail[0] = reversedWord(text, skip);
    if (skip + 8 < text.size())
        tail[1] = reversedWord(text, skip + 8);
    return tail;
}

Tail tailOf(QByteArrayView text)
{
    return chunkOf(text, 0);
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

static_assert(std::tuple_size_v<Tail> == 2);

// std::array's own operators go through memcmp.
bool sameTail(const Tail &a, const Tail &b)
{
    return a[0] == b[0] && a[1] == b[1];
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
    const qsizetype known = std::min<qsizetype>(suffix.size(), SuffixIndex::tailBytes);
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

// What is left of a text past `chunk` chunks, 17 standing for "more than a
// chunk": with equal chunks, the text that ends within them comes first.
int leftAfter(const Item &item, int chunk)
{
    return std::min(item.size - SuffixIndex::tailBytes * chunk, SuffixIndex::tailBytes + 1);
}

// How many of the first bytes of two tails agree.
int commonBytes(const Tail &a, const Tail &b)
{
    if (a[0] != b[0])
        return std::countl_zero(a[0] ^ b[0]) / 8;
    if (a[1] != b[1])
        return 8 + std::countl_zero(a[1] ^ b[1]) / 8;
    return SuffixIndex::tailBytes;
}

// Sorts the items by their reversed texts, equal texts by entry, and notes
// how many last bytes each item shares with the one before it.
//
// A most-significant-digit radix sort: digits 0 to 15 are the bytes of the
// tail, which holds one chunk of 16 bytes of the texts, digit 16 is what is
// left of the text (see leftAfter); a bucket whose texts go on past the chunk
// loads the next chunk and starts over. The passes are stable and the items
// start in entry order, so equal texts stay in it. Many items first go
// through sortByLastWord(); small buckets are left to std::sort. Every text
// is read once per chunk that does not yet tell it from the others, so long
// shared endings cost what they are, and no more.
class Sorter
{
public:
    // `second` holds chunk 1 of each text, by entry.
    Sorter(std::vector<Item> &items, std::vector<quint8> &shared, std::span<const Tail> second)
        : m_items(items)
        , m_shared(shared)
        , m_second(second)
    {
    }

    void run()
    {
        m_shared.assign(m_items.size(), 0);
        if (m_items.size() > manyItems)
            sortByLastWord();
        else if (m_items.size() > 1)
            m_todo.push_back({0, m_items.size(), 0, 0});
        while (!m_todo.empty()) {
            const Task task = m_todo.back();
            m_todo.pop_back();
            if (task.end - task.begin <= smallBucket)
                sortSmall(task);
            else
                split(task);
        }
        // The tails must hold chunk 0 again; deeper buckets lie inside these.
        for (const Restore &r : m_restores) {
            for (size_t k = r.begin; k < r.end; ++k)
                m_items[k].tail = r.tail;
        }
        // Zero bytes past the end of a text agree with anything zero.
        for (size_t k = 1; k < m_items.size(); ++k) {
            const int shorter = std::min(m_items[k - 1].size, m_items[k].size);
            if (m_shared[k] > shorter)
                m_shared[k] = quint8(shorter);
        }
    }

private:
    static constexpr size_t smallBucket = 48;
    static constexpr size_t manyItems = 4096;
    static constexpr int lengthDigit = SuffixIndex::tailBytes;

    struct Task
    {
        size_t begin;
        size_t end;
        int chunk; // the tails hold this chunk, all before it are equal
        int digit; // digits before it are equal
    };
    struct Restore
    {
        size_t begin;
        size_t end;
        Tail tail;
    };

    static int digitOf(const Item &item, int chunk, int digit)
    {
        if (digit == lengthDigit)
            return leftAfter(item, chunk);
        return int((item.tail[size_t(digit / 8)] >> (56 - 8 * (digit % 8))) & 0xFF);
    }

    // Whatever ends up at k - 1 and k agrees on the last `bytes` bytes, as far
    // as the texts go; which texts those are is known only at the end.
    void setShared(size_t k, int bytes)
    {
        m_shared[k] = quint8(std::min(bytes, 255));
    }

    void split(Task task)
    {
        const int chunk = task.chunk;
        const int base = SuffixIndex::tailBytes * chunk;
        std::array<size_t, 256> counts{};
        int digit = task.digit;
        for (;; ++digit) {
            counts.fill(0);
            for (size_t k = task.begin; k < task.end; ++k)
                ++counts[size_t(digitOf(m_items[k], chunk, digit))];
            const size_t n = task.end - task.begin;
            if (digit == lengthDigit || std::find(counts.begin(), counts.end(), n) == counts.end())
                break;
            // One value for all: nothing to move.
        }
        std::array<size_t, 256> starts{};
        for (size_t v = 0, at = task.begin; v < counts.size(); ++v) {
            starts[v] = at;
            at += counts[v];
        }
        if (std::find(counts.begin(), counts.end(), task.end - task.begin) == counts.end()) {
            std::array<size_t, 256> next = starts;
            m_scratch.resize(m_items.size());
            for (size_t k = task.begin; k < task.end; ++k)
                m_scratch[next[size_t(digitOf(m_items[k], chunk, digit))]++] = m_items[k];
            std::copy(m_scratch.begin() + qsizetype(task.begin), m_scratch.begin() + qsizetype(task.end),
                      m_items.begin() + qsizetype(task.begin));
        }
        for (size_t v = 0; v < counts.size(); ++v) {
            if (counts[v] == 0)
                continue;
            const size_t begin = starts[v];
            const size_t end = begin + counts[v];
            if (begin > task.begin)
                setShared(begin, base + digit);
            if (end - begin == 1)
                continue;
            if (digit < lengthDigit)
                m_todo.push_back({begin, end, chunk, digit + 1});
            else if (int(v) > SuffixIndex::tailBytes)
                deeper(begin, end, chunk);
            else
                equalTexts(begin, end);
        }
    }

    // The first split, by the first eight bytes, is the one that moves all
    // items, and a byte at a time it would take eight passes over them, the
    // first few telling little apart (the texts share their endings): six
    // least-significant-digit passes of 11 bits do it instead.
    void sortByLastWord()
    {
        constexpr int bits = 11;
        constexpr int passes = (64 + bits - 1) / bits;
        constexpr quint64 mask = (quint64(1) << bits) - 1;
        const size_t n = m_items.size();
        std::vector<std::array<quint32, size_t(1) << bits>> counts(passes);
        for (auto &c : counts)
            c.fill(0);
        for (const Item &item : m_items) {
            for (int d = 0; d < passes; ++d)
                ++counts[size_t(d)][size_t((item.tail[0] >> (bits * d)) & mask)];
        }
        m_scratch.resize(n);
        for (int d = 0; d < passes; ++d) {
            auto &starts = counts[size_t(d)];
            if (std::find(starts.begin(), starts.end(), quint32(n)) != starts.end())
                continue; // one value for all
            quint32 at = 0;
            for (quint32 &c : starts)
                at += std::exchange(c, at);
            for (const Item &item : m_items)
                m_scratch[starts[size_t((item.tail[0] >> (bits * d)) & mask)]++] = item;
            m_items.swap(m_scratch);
        }
        for (size_t i = 0; i < n;) {
            size_t j = i + 1;
            while (j < n && m_items[j].tail[0] == m_items[i].tail[0])
                ++j;
            if (i > 0)
                setShared(i, std::countl_zero(m_items[i - 1].tail[0] ^ m_items[i].tail[0]) / 8);
            if (j - i > 1)
                m_todo.push_back({i, j, 0, 8});
            i = j;
        }
    }

    void sortSmall(Task task)
    {
        const int chunk = task.chunk;
        const int base = SuffixIndex::tailBytes * chunk;
        const auto first = m_items.begin() + qsizetype(task.begin);
        const auto last = m_items.begin() + qsizetype(task.end);
        std::sort(first, last, [chunk](const Item &a, const Item &b) {
            if (a.tail[0] != b.tail[0])
                return a.tail[0] < b.tail[0];
            if (a.tail[1] != b.tail[1])
                return a.tail[1] < b.tail[1];
            const int la = leftAfter(a, chunk);
            const int lb = leftAfter(b, chunk);
            if (la != lb)
                return la < lb;
            return a.entry < b.entry;
        });
        Tail before{}; // deeper() may have moved on the tails of the run before
        for (size_t i = task.begin; i < task.end;) {
            const Item &item = m_items[i];
            const Tail tail = item.tail;
            const int left = leftAfter(item, chunk);
            size_t j = i + 1;
            while (j < task.end && sameTail(m_items[j].tail, tail) && leftAfter(m_items[j], chunk) == left)
                ++j;
            if (i > task.begin)
                setShared(i, base + commonBytes(before, tail));
            before = tail;
            if (j - i > 1) {
                if (left > SuffixIndex::tailBytes)
                    deeper(i, j, chunk);
                else
                    equalTexts(i, j);
            }
            i = j;
        }
    }

    // Items that agree on the chunk and go on past it.
    void deeper(size_t begin, size_t end, int chunk)
    {
        if (chunk == 0)
            m_restores.push_back({begin, end, m_items[begin].tail});
        // What lies all over memory is asked for before any of it is read.
        if (chunk == 0) {
            for (size_t k = begin; k < end; ++k)
                prefetchLine(&m_second[size_t(m_items[k].entry)]);
            for (size_t k = begin; k < end; ++k)
                m_items[k].tail = m_second[size_t(m_items[k].entry)];
        } else {
            const qsizetype skip = qsizetype(SuffixIndex::tailBytes) * (chunk + 1);
            for (size_t k = begin; k < end; ++k)
                prefetchLine(m_items[k].data + std::max<qsizetype>(m_items[k].size - skip - 1, 0));
            for (size_t k = begin; k < end; ++k)
                m_items[k].tail = chunkOf(QByteArrayView(m_items[k].data, m_items[k].size), chunk + 1);
        }
        m_todo.push_back({begin, end, chunk + 1, 0});
    }

    void equalTexts(size_t begin, size_t end)
    {
        for (size_t k = begin + 1; k < end; ++k)
            setShared(k, m_items[k].size);
    }

    std::vector<Item> &m_items;
    std::vector<quint8> &m_shared;
    std::span<const Tail> m_second;
    std::vector<Item> m_scratch;
    std::vector<Task> m_todo;
    std::vector<Restore> m_restores;
};

} // namespace

SuffixIndex::Suffix::Suffix(QByteArrayView bytes)
    : m_bytes(bytes)
    , m_tail(tailOf(bytes))
{
}

SuffixIndex::SuffixIndex(std::span<const QByteArrayView> texts, std::span<const qint32> ids, int dropped,
                         InputMode mode)
    : m_texts(texts)
    , m_ids(ids)
    , m_dropped(dropped)
    , m_utf8(mode == InputMode::Utf8)
{
    m_items.reserve(texts.size());
    // Most texts share their last 16 bytes with some other: the 16 before
    // them are taken now, while the texts are read in order anyway.
    std::vector<Tail> second(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
        const qsizetype size = shortenedSize(texts[i], dropped, m_utf8);
        if (size >= 0) {
            const QByteArrayView text = texts[i].first(size);
            m_items.push_back({tailOf(text), text.data(), qint32(size), qint32(i)});
            second[i] = chunkOf(text, 1);
        }
    }
    Sorter(m_items, m_shared, second).run();
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
        const QByteArrayView text(m_items[at].data, m_items[at].size);
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
    const Item &item = m_items[position];
    prefetchLine(item.data + std::max(item.size - 1, 0));
}

bool SuffixIndex::aloneEndingWith(size_t position, qsizetype length) const
{
    if (length > 255)
        return false; // past what the shared counts tell
    return (position == 0 || m_shared[position] < length)
        && (position + 1 == m_items.size() || m_shared[position + 1] < length);
}

std::vector<qint32> SuffixIndex::positionsOfTexts() const
{
    std::vector<qint32> positions(m_texts.size(), -1);
    for (size_t p = 0; p < m_items.size(); ++p)
        positions[size_t(m_items[p].entry)] = qint32(p);
    return positions;
}

int SuffixIndex::compare(size_t position, const Suffix &suffix) const
{
    const Item &item = m_items[position];
    return compareToSuffix(item.tail, QByteArrayView(item.data, item.size), suffix.m_tail, suffix.m_bytes);
}
