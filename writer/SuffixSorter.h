#pragma once

#include "writer/SuffixIndex.h"

#include <array>
#include <functional>
#include <span>
#include <vector>

class TimeSlice;

// Sorts the items of a suffix index by their reversed texts, equal texts by
// entry, and notes how many last bytes each item shares with the one before
// it.
//
// A most-significant-digit radix sort: digits 0 to 7 are the bytes of the
// tail, which holds one chunk of eight bytes of the texts, digit 8 is what is
// left of the text (see leftAfter); a bucket whose texts go on past the chunk
// loads the next chunk and starts over. The passes are stable and the items
// start in entry order, so equal texts stay in it. Many items first go
// through sortByLastWord(); small buckets are left to std::sort. Every text
// is read once per chunk that does not yet tell it from the others, so long
// shared endings cost what they are, and no more.
class SuffixSorter
{
public:
    using Item = SuffixIndex::Item;
    using Tail = SuffixIndex::Tail;

    // Fills in chunk 1 of each item's text, by entry.
    using SecondChunks = std::function<void(BigVector<Tail> &)>;

    // The items' texts are the first bytes of `texts`. The second chunks are
    // asked for once the first sort has freed its copy of the items, so that
    // the two are not held at once.
    SuffixSorter(std::span<const QByteArrayView> texts, BigVector<Item> &items, BigVector<quint8> &shared,
                 SecondChunks second)
        : m_texts(texts)
        , m_items(items)
        , m_shared(shared)
        , m_fillSecond(std::move(second))
    {
    }

    // False when the slice said stop; the items are then in no useful order.
    [[nodiscard]] bool run(TimeSlice &slice);

    // Bytes -8 * chunk - 1 to -8 * chunk - 8 of the text, as a tail.
    [[nodiscard]] static Tail chunkOf(QByteArrayView text, int chunk);

private:
    static constexpr size_t smallBucket = 48;
    static constexpr size_t manyItems = 4096;
    // Below this, a second thread costs more than it saves.
    static constexpr size_t parallelFrom = size_t(1) << 16;
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

    [[nodiscard]] static int digitOf(const Item &item, int chunk, int digit);
    void setShared(size_t k, int bytes);
    [[nodiscard]] bool sortBuckets(TimeSlice &slice);
    [[nodiscard]] bool drain(TimeSlice &slice);
    [[nodiscard]] int firstSplittingDigit(const Task &task, std::array<size_t, 256> &counts) const;
    void moveByDigit(const Task &task, int digit, std::array<size_t, 256> next);
    void split(Task task);
    [[nodiscard]] bool sortByLastWord(TimeSlice &slice);
    void splitByLastWord();
    void sortSmall(Task task);
    void deeper(size_t begin, size_t end, int chunk);
    void equalTexts(size_t begin, size_t end);

    [[nodiscard]] QByteArrayView textOf(const Item &item) const
    {
        return QByteArrayView(m_texts[size_t(item.entry)].data(), item.size);
    }

    std::span<const QByteArrayView> m_texts;
    BigVector<Item> &m_items;
    BigVector<quint8> &m_shared;
    SecondChunks m_fillSecond;
    BigVector<Tail> m_secondChunks;
    std::span<const Tail> m_second; // shared with a helper sorter
    BigVector<Item> m_scratch;
    std::vector<Task> m_todo;
    std::vector<Restore> m_restores;
};
