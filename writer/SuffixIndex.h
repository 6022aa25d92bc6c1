#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

#include <array>
#include <span>
#include <vector>

// Texts sorted by their reversed bytes, so that all texts ending with a given
// suffix form one range, found by binary search. Each text can first lose a
// number of characters at its end (code points in UTF-8 mode, bytes in ANSI
// mode): that finds the texts where a suffix is followed by that many
// arbitrary characters. Texts shorter than that are left out.
class SuffixIndex
{
public:
    // The last bytes of a text as numbers that compare like the reversed
    // bytes: word 0 holds bytes -1 to -8, byte -1 most significant, word 1
    // bytes -9 to -16, and so on; zero where the text is shorter. They settle
    // most comparisons without touching the texts, which lie all over the copy.
    static constexpr int tailWords = 2;
    using Tail = std::array<quint64, tailWords>;

    struct Item
    {
        Tail tail;
        QByteArrayView text; // whole, as given
        qsizetype size;      // what is left of it
        qint32 id;
    };

    // Texts with ids; equal texts end up in the order of their ids. The views
    // must outlive the index.
    SuffixIndex(std::span<const QByteArrayView> texts, std::span<const qint32> ids, int dropped, InputMode mode);

    // The items whose shortened text ends with the suffix, in sorted order.
    [[nodiscard]] std::span<const Item> endingWith(QByteArrayView suffix) const;
    [[nodiscard]] std::span<const Item> all() const { return m_items; }

private:
    std::vector<Item> m_items;
};
