#pragma once

#include "encoding/InputMode.h"
#include "writer/ItemPattern.h"
#include "writer/NameIndex.h"
#include "writer/SuffixIndex.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>
#include <QSet>

#include <map>
#include <optional>
#include <span>
#include <vector>

class EntryTable;
class TimeSlice;

// Finds the channel entries whose text ends with an item of the new list
// without scanning the file: a suffix index over the entry texts answers
// literal items (by a hash of the channel names when the item is one, by
// binary search otherwise) and narrows down the candidates of items with
// wildcards.
class EntryIndex
{
public:
    // The table must outlive the index. When the slice says stop, the index
    // is left unusable (stopped()).
    EntryIndex(const EntryTable &table, TimeSlice &slice);
    [[nodiscard]] bool stopped() const { return m_stopped; }

    // The entries that match the item, in file order. The span stays valid
    // until the next call. An item with "?" at its end may need one more
    // index, made now: nullopt when the slice says stop then.
    [[nodiscard]] std::optional<std::span<const qint32>> entriesMatching(QByteArrayView item, TimeSlice &slice);

    // Starts the lookups of the items that entriesMatching() will be asked
    // about next, in this order: each step for all of them before the next
    // step, so that their reads from memory overlap. The same views must then
    // be passed, in the same order; their bytes must stay as they are.
    void expect(std::span<const QByteArrayView> items);

private:
    struct Turn
    {
        explicit Turn(InputMode mode)
            : pattern({}, mode)
        {
        }
        void assign(QByteArrayView bytes);

        ItemPattern pattern;
        QByteArrayView item;
        quint64 nameHash = 0;   // of a literal item
        NameIndex::Found guess; // what its name's slot says, before checking
    };

    [[nodiscard]] const Turn &turnFor(QByteArrayView item);
    void prefetchGuesses(std::span<const Turn> turns) const;
    [[nodiscard]] std::optional<std::span<const qint32>> cheapLiteral(const Turn &turn);
    void gatherCandidates(const ItemPattern &pattern, TimeSlice &slice);
    [[nodiscard]] const SuffixIndex &candidatesOf(const ItemPattern &pattern, TimeSlice &slice);
    [[nodiscard]] bool gapSearch(const ItemPattern &pattern, std::span<const SuffixIndex::Item> within);
    [[nodiscard]] const SuffixIndex *suffixIndex(int dropped, TimeSlice &slice);
    [[nodiscard]] std::span<const qint32> remember(QByteArrayView item);

    InputMode m_mode;
    std::span<const QByteArrayView> m_texts;
    // The expected items, and the current one after them.
    std::vector<Turn> m_turns;
    size_t m_expected = 0; // of m_turns, the rest of the last expect()
    size_t m_next = 0;
    bool m_stopped = false;
    std::map<int, SuffixIndex> m_suffixIndexes;
    const SuffixIndex *m_whole = nullptr; // drops nothing
    std::optional<NameIndex> m_names; // over suffix index 0
    // Offsets after the anchor for which the texts end in too many ways to
    // search them way by way.
    QSet<int> m_manyRuns;
    std::vector<std::span<const SuffixIndex::Item>> m_ranges;
    std::span<const SuffixIndex::Item> m_literalRange;
    // Items repeat in the new list; answers that took more than a lookup and
    // a few entries are kept, up to a budget.
    QHash<QByteArray, std::vector<qint32>> m_cache;
    qsizetype m_cachedEntries = 0;
    std::vector<qint32> m_found;
};
