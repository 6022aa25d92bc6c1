#pragma once

#include "encoding/InputMode.h"
#include "writer/BigVector.h"

#include <QByteArrayView>

#include <span>
#include <vector>

class TimeSlice;

// Texts sorted by their reversed bytes, so that all texts ending with a given
// suffix form one range, found by binary search or, from one item known to be
// in it, by how many last bytes neighbours share. Each text can first lose a
// number of characters at its end (code points in UTF-8 mode, bytes in ANSI
// mode): that finds the texts where a suffix is followed by that many
// arbitrary characters. Texts shorter than that are left out.
class SuffixIndex
{
public:
    // The last eight bytes of a text as a number that compares like the
    // reversed bytes: byte -1 most significant, zero where the text is
    // shorter. It settles most comparisons without touching the texts, which
    // lie all over the copy.
    static constexpr int tailBytes = 8;
    using Tail = quint64;

    // Kept small: sorting and searching walk an array of these, not the texts.
    struct Item
    {
        Tail tail;
        qint32 size;  // of what is left of the text
        qint32 entry; // position in the texts given
    };

    // A suffix looked for, with its tail worked out once.
    class Suffix
    {
    public:
        explicit Suffix(QByteArrayView bytes);
        [[nodiscard]] QByteArrayView bytes() const { return m_bytes; }

    private:
        friend class SuffixIndex;
        QByteArrayView m_bytes;
        Tail m_tail;
    };

    // Equal texts end up in the order of their positions. The texts must
    // outlive the index. When the slice says stop, the index is left
    // incomplete and must not be used.
    SuffixIndex(std::span<const QByteArrayView> texts, int dropped, InputMode mode, TimeSlice &slice);
    [[nodiscard]] bool complete() const { return m_complete; }

    // The items whose shortened text ends with the suffix, in sorted order.
    [[nodiscard]] std::span<const Item> endingWith(const Suffix &suffix) const;
    // The same, when the item at `position` is known to be one of them.
    [[nodiscard]] std::span<const Item> endingWithAround(const Suffix &suffix, size_t position) const;
    [[nodiscard]] bool endsWith(size_t position, const Suffix &suffix) const;
    // Whether no other item ends with the last `length` bytes of this one.
    [[nodiscard]] bool aloneEndingWith(size_t position, qsizetype length) const;

    // The items whose text ends with `before`, then `count` characters, then
    // `after`, as ranges in sorted order; `within` is endingWith(after). This
    // is what an index that drops characters answers at once, here found run
    // by run of items with the same characters in the gap. False, with some
    // ranges added, when there are more than `maxRuns` such runs.
    [[nodiscard]] bool endingWithGap(QByteArrayView before, int count, QByteArrayView after,
                                     std::span<const Item> within, size_t maxRuns,
                                     std::vector<std::span<const Item>> &ranges) const;

    // Start fetching the item at the position, then (once it is there) where
    // its text is.
    void prefetch(size_t position) const;
    void prefetchText(size_t position) const;

    [[nodiscard]] std::span<const Item> all() const { return m_items; }
    // Where each text ended up, by its position in the texts given; -1 for
    // the texts left out.
    [[nodiscard]] BigVector<qint32> positionsOfTexts() const;

    // The whole text of an item, as given.
    [[nodiscard]] QByteArrayView text(const Item &item) const { return m_texts[size_t(item.entry)]; }

private:
    [[nodiscard]] QByteArrayView shortened(const Item &item) const
    {
        return QByteArrayView(m_texts[size_t(item.entry)].data(), item.size);
    }
    [[nodiscard]] int compare(size_t position, const Suffix &suffix) const;
    [[nodiscard]] size_t lowerBound(const Suffix &suffix, size_t first, size_t end) const;
    [[nodiscard]] size_t rangeStart(const Suffix &suffix, size_t position) const;
    [[nodiscard]] size_t rangeEnd(const Suffix &suffix, size_t position) const;

    std::span<const QByteArrayView> m_texts;
    bool m_complete = false;
    bool m_utf8;
    BigVector<Item> m_items;
    // How many last bytes each item shares with the one before it, up to 255:
    // the items ending with a suffix are then found without reading a text.
    BigVector<quint8> m_shared;
};
