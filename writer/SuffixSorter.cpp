#include "writer/SuffixSorter.h"

#include "intake/TimeSlice.h"
#include "writer/Prefetch.h"

#include <QtEndian>

#include <algorithm>
#include <atomic>
#include <bit>
#include <thread>
#include <utility>

namespace {

using Item = SuffixIndex::Item;
using Tail = SuffixIndex::Tail;

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

// What is left of a text past `chunk` chunks, 17 standing for "more than a
// chunk": with equal chunks, the text that ends within them comes first.
int leftAfter(const Item &item, int chunk)
{
    return std::min(item.size - SuffixIndex::tailBytes * chunk, SuffixIndex::tailBytes + 1);
}

// How many of the first bytes of two tails agree.
int commonBytes(Tail a, Tail b)
{
    return a == b ? SuffixIndex::tailBytes : std::countl_zero(a ^ b) / 8;
}

bool bySortKey(const Item &a, const Item &b, int chunk)
{
    if (a.tail != b.tail)
        return a.tail < b.tail;
    const int la = leftAfter(a, chunk);
    const int lb = leftAfter(b, chunk);
    if (la != lb)
        return la < lb;
    return a.entry < b.entry;
}

} // namespace

SuffixSorter::Tail SuffixSorter::chunkOf(QByteArrayView text, int chunk)
{
    const qsizetype skip = qsizetype(SuffixIndex::tailBytes) * chunk;
    return skip < text.size() ? reversedWord(text, skip) : 0;
}

bool SuffixSorter::run(TimeSlice &slice)
{
    m_shared.assign(m_items.size(), 0);
    if (m_items.size() > manyItems) {
        if (!sortByLastWord(slice))
            return false;
    } else if (m_items.size() > 1) {
        m_todo.push_back({0, m_items.size(), 0, 0});
    }
    m_fillSecond(m_secondChunks);
    m_second = m_secondChunks;
    if (!sortBuckets(slice))
        return false;
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
    return true;
}

// The buckets are apart from each other, and each sets only its own items and
// the shared counts inside it: on many items, a second sorter on a thread of
// its own takes about half of them.
bool SuffixSorter::sortBuckets(TimeSlice &slice)
{
    if (m_items.size() < parallelFrom || m_todo.size() < 2)
        return drain(slice);
    SuffixSorter other(m_texts, m_items, m_shared, {});
    other.m_second = m_second;
    std::vector<Task> mine;
    size_t mineItems = 0;
    size_t otherItems = 0;
    for (const Task &task : m_todo) {
        const size_t n = task.end - task.begin;
        if (mineItems <= otherItems) {
            mine.push_back(task);
            mineItems += n;
        } else {
            other.m_todo.push_back(task);
            otherItems += n;
        }
    }
    m_todo = std::move(mine);
    std::atomic<bool> stop = false;
    bool otherDone = false;
    std::thread helper([&] {
        TimeSlice otherSlice([&stop] { return !stop.load(); });
        otherDone = other.drain(otherSlice);
    });
    const bool done = drain(slice);
    if (!done)
        stop = true;
    helper.join();
    m_restores.insert(m_restores.end(), other.m_restores.begin(), other.m_restores.end());
    return done && otherDone;
}

bool SuffixSorter::drain(TimeSlice &slice)
{
    while (!m_todo.empty()) {
        if (!slice.next())
            return false;
        const Task task = m_todo.back();
        m_todo.pop_back();
        if (task.end - task.begin <= smallBucket)
            sortSmall(task);
        else
            split(task);
    }
    return true;
}

int SuffixSorter::digitOf(const Item &item, int chunk, int digit)
{
    if (digit == lengthDigit)
        return leftAfter(item, chunk);
    return int((item.tail >> (56 - 8 * digit)) & 0xFF);
}

// Whatever ends up at k - 1 and k agrees on the last `bytes` bytes, as far
// as the texts go; which texts those are is known only at the end.
void SuffixSorter::setShared(size_t k, int bytes)
{
    m_shared[k] = quint8(std::min(bytes, 255));
}

// The first digit from the task's on where the items differ (the length
// digit at the latest), with the count of each of its values.
int SuffixSorter::firstSplittingDigit(const Task &task, std::array<size_t, 256> &counts) const
{
    const size_t n = task.end - task.begin;
    for (int digit = task.digit;; ++digit) {
        counts.fill(0);
        for (size_t k = task.begin; k < task.end; ++k)
            ++counts[size_t(digitOf(m_items[k], task.chunk, digit))];
        if (digit == lengthDigit || std::find(counts.begin(), counts.end(), n) == counts.end())
            return digit;
    }
}

// Moves the task's items into the order of the digit's values, which start
// at `starts`.
void SuffixSorter::moveByDigit(const Task &task, int digit, std::array<size_t, 256> next)
{
    const size_t n = task.end - task.begin;
    if (m_scratch.size() < n)
        m_scratch.resize(n);
    for (size_t k = task.begin; k < task.end; ++k)
        m_scratch[next[size_t(digitOf(m_items[k], task.chunk, digit))]++ - task.begin] = m_items[k];
    std::copy_n(m_scratch.begin(), n, m_items.begin() + qsizetype(task.begin));
}

void SuffixSorter::split(Task task)
{
    std::array<size_t, 256> counts{};
    const int digit = firstSplittingDigit(task, counts);
    std::array<size_t, 256> starts{};
    for (size_t v = 0, at = task.begin; v < counts.size(); ++v) {
        starts[v] = at;
        at += counts[v];
    }
    if (std::find(counts.begin(), counts.end(), task.end - task.begin) == counts.end())
        moveByDigit(task, digit, starts);
    const int base = SuffixIndex::tailBytes * task.chunk;
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
            m_todo.push_back({begin, end, task.chunk, digit + 1});
        else if (int(v) > SuffixIndex::tailBytes)
            deeper(begin, end, task.chunk);
        else
            equalTexts(begin, end);
    }
}

// The first split, by the last eight bytes, is the one that moves all items,
// and a byte at a time it would take eight passes over them, the first few
// telling little apart (the texts share their endings): six
// least-significant-digit passes of 11 bits do it instead.
bool SuffixSorter::sortByLastWord(TimeSlice &slice)
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
            ++counts[size_t(d)][size_t((item.tail >> (bits * d)) & mask)];
    }
    m_scratch.resize(n);
    for (int d = 0; d < passes; ++d) {
        if (!slice.next())
            return false;
        auto &starts = counts[size_t(d)];
        if (std::find(starts.begin(), starts.end(), quint32(n)) != starts.end())
            continue; // one value for all
        quint32 at = 0;
        for (quint32 &c : starts)
            at += std::exchange(c, at);
        for (const Item &item : m_items)
            m_scratch[starts[size_t((item.tail >> (bits * d)) & mask)]++] = item;
        m_items.swap(m_scratch);
    }
    BigVector<Item>().swap(m_scratch); // the buckets need far less
    splitByLastWord();
    return true;
}

// Runs of the same last word are buckets to sort further.
void SuffixSorter::splitByLastWord()
{
    const size_t n = m_items.size();
    for (size_t i = 0; i < n;) {
        size_t j = i + 1;
        while (j < n && m_items[j].tail == m_items[i].tail)
            ++j;
        if (i > 0)
            setShared(i, commonBytes(m_items[i - 1].tail, m_items[i].tail));
        if (j - i > 1)
            m_todo.push_back({i, j, 0, lengthDigit});
        i = j;
    }
}

void SuffixSorter::sortSmall(Task task)
{
    const int chunk = task.chunk;
    const int base = SuffixIndex::tailBytes * chunk;
    std::sort(m_items.begin() + qsizetype(task.begin), m_items.begin() + qsizetype(task.end),
              [chunk](const Item &a, const Item &b) { return bySortKey(a, b, chunk); });
    Tail before = 0; // deeper() may have moved on the tails of the run before
    for (size_t i = task.begin; i < task.end;) {
        const Item &item = m_items[i];
        const Tail tail = item.tail;
        const int left = leftAfter(item, chunk);
        size_t j = i + 1;
        while (j < task.end && m_items[j].tail == tail && leftAfter(m_items[j], chunk) == left)
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

// Items that agree on the chunk and go on past it. What lies all over
// memory is asked for before any of it is read.
void SuffixSorter::deeper(size_t begin, size_t end, int chunk)
{
    if (chunk == 0) {
        m_restores.push_back({begin, end, m_items[begin].tail});
        for (size_t k = begin; k < end; ++k)
            prefetchLine(&m_second[size_t(m_items[k].entry)]);
        for (size_t k = begin; k < end; ++k)
            m_items[k].tail = m_second[size_t(m_items[k].entry)];
    } else {
        const qsizetype skip = qsizetype(SuffixIndex::tailBytes) * (chunk + 1);
        for (size_t k = begin; k < end; ++k)
            prefetchLine(&m_texts[size_t(m_items[k].entry)]);
        for (size_t k = begin; k < end; ++k)
            prefetchLine(textOf(m_items[k]).data() + std::max<qsizetype>(m_items[k].size - skip - 1, 0));
        for (size_t k = begin; k < end; ++k)
            m_items[k].tail = chunkOf(textOf(m_items[k]), chunk + 1);
    }
    m_todo.push_back({begin, end, chunk + 1, 0});
}

void SuffixSorter::equalTexts(size_t begin, size_t end)
{
    for (size_t k = begin + 1; k < end; ++k)
        setShared(k, m_items[k].size);
}
