#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QStringView>

#include <vector>

class FilterIndex;
class Progress;

// What the user asked to see of the source list: the words a name must hold,
// all of them, in any order, case and «ё» aside; and a group.
struct ChannelQuery
{
    static constexpr qint32 everyGroup = -1;

    std::vector<QByteArray> words; // folded, longest first; none held in another
    qint32 group = everyGroup;

    // The words are what blanks (spaces, tabs, line breaks) separate.
    [[nodiscard]] static ChannelQuery parse(QStringView text, qint32 group);
    [[nodiscard]] bool isEmpty() const { return words.empty() && group == everyGroup; }
    // Whether what this query shows is part of what `wider` shows, as when a
    // letter is typed: the search need look only at that.
    [[nodiscard]] bool narrows(const ChannelQuery &wider) const;
};

// The channels the query shows, in file order: among `within` (sorted) when
// it is given, else among all. groupOf: each channel's group, -1 for none.
// The index may be null for a query without words.
[[nodiscard]] Result<std::vector<qint32>> filterChannels(const FilterIndex *index, const std::vector<qint32> &groupOf,
                                                         const ChannelQuery &query, const std::vector<qint32> *within,
                                                         Progress &progress);
