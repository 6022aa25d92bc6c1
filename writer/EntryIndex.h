#pragma once

#include "encoding/InputMode.h"
#include "writer/ItemPattern.h"
#include "writer/SuffixIndex.h"

#include <QHash>
#include <QString>

#include <map>
#include <span>
#include <vector>

class LineTable;

// Finds the channel entries whose text ends with an item of the new list
// without scanning the file: a suffix index over the entry texts answers
// literal items by binary search and narrows down the candidates of items
// with wildcards.
class EntryIndex
{
public:
    // The table must outlive the index.
    explicit EntryIndex(const LineTable &table);

    // The entry lines that match the item, in file order. The span stays valid
    // until the next call.
    [[nodiscard]] std::span<const qint32> linesMatching(const QString &item);

private:
    [[nodiscard]] const SuffixIndex &suffixIndex(int dropped);
    [[nodiscard]] std::span<const qint32> remember(const QString &item);

    InputMode m_mode;
    const LineTable &m_table;
    ItemPattern m_pattern; // the current item
    std::map<int, SuffixIndex> m_suffixIndexes;
    // Items repeat in the new list; answers that took more than a lookup and
    // a few entries are kept, up to a budget.
    QHash<QString, std::vector<qint32>> m_cache;
    qsizetype m_cachedLines = 0;
    std::vector<qint32> m_found;
};
