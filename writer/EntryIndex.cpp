#include "writer/EntryIndex.h"

#include "writer/ItemPattern.h"
#include "writer/LineTable.h"

#include <algorithm>

namespace {

// About 64 MB of cached line numbers.
constexpr qsizetype cacheBudgetLines = 16 << 20;
// Answers with this few entries are cheaper to gather again than to cache.
constexpr size_t cheapAnswer = 8;

} // namespace

EntryIndex::EntryIndex(const LineTable &table)
    : m_mode(table.mode())
    , m_table(table)
    , m_pattern({}, m_mode)
{
    // Every item needs it; the others are made when an item asks for them.
    (void)suffixIndex(0);
}

std::span<const qint32> EntryIndex::linesMatching(const QString &item)
{
    m_pattern.assign(item);
    const ItemPattern &pattern = m_pattern;
    if (pattern.matchesNothing())
        return {};
    std::span<const SuffixIndex::Item> candidates;
    if (pattern.isLiteral()) {
        candidates = suffixIndex(0).endingWith(pattern.anchorLiteral());
        if (candidates.size() <= cheapAnswer) {
            m_found.clear();
            for (const SuffixIndex::Item &c : candidates)
                m_found.push_back(c.id);
            // Equal texts come in file order; only different ones need sorting.
            if (!std::is_sorted(m_found.begin(), m_found.end()))
                std::sort(m_found.begin(), m_found.end());
            return m_found;
        }
    }
    if (const auto it = m_cache.constFind(item); it != m_cache.constEnd())
        return *it;

    m_found.clear();
    if (pattern.isLiteral()) {
        for (const SuffixIndex::Item &c : candidates)
            m_found.push_back(c.id);
    } else {
        candidates = pattern.anchorLiteral().isEmpty()
                         ? suffixIndex(0).all()
                         : suffixIndex(pattern.anchorOffset()).endingWith(pattern.anchorLiteral());
        // Equal texts mostly come together: each run of them is checked once.
        QByteArrayView checked;
        bool matches = false;
        for (const SuffixIndex::Item &c : candidates) {
            if (checked.data() == nullptr || c.text != checked) {
                checked = c.text;
                matches = pattern.matches(c.text);
            }
            if (matches)
                m_found.push_back(c.id);
        }
    }
    std::sort(m_found.begin(), m_found.end());
    return remember(item);
}

const SuffixIndex &EntryIndex::suffixIndex(int dropped)
{
    auto it = m_suffixIndexes.find(dropped);
    if (it == m_suffixIndexes.end())
        it = m_suffixIndexes.try_emplace(dropped, m_table.entryTexts(), m_table.entryLines(), dropped, m_mode).first;
    return it->second;
}

std::span<const qint32> EntryIndex::remember(const QString &item)
{
    if (m_cachedLines + qsizetype(m_found.size()) > cacheBudgetLines)
        return m_found;
    m_cachedLines += qsizetype(m_found.size());
    return *m_cache.insert(item, m_found);
}
