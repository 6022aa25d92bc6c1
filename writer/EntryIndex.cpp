#include "writer/EntryIndex.h"

#include "writer/ItemPattern.h"
#include "writer/LineTable.h"
#include "writer/Prefetch.h"

#include <algorithm>

namespace {

// About 64 MB of cached line numbers.
constexpr qsizetype cacheBudgetLines = 16 << 20;
// Answers with this few entries are cheaper to gather again than to cache.
constexpr size_t cheapAnswer = 8;
// Searching the gaps after an anchor gives up past one run of texts per this
// many texts: by then it has cost a good part of sorting them once more.
constexpr size_t searchesPerSort = 16;
// Below this many texts ending with the anchor, matching them all is cheap.
constexpr size_t gapSearchFrom = 64;
// Searching one gap costs about as much as matching this many texts.
constexpr size_t candidatesPerRun = 8;

} // namespace

EntryIndex::EntryIndex(const LineTable &table)
    : m_mode(table.mode())
    , m_table(table)
    , m_turns{Turn(m_mode)}
{
    // Every item needs it; the others are made when an item asks for them.
    m_names.emplace(m_table.entryTexts(), suffixIndex(0));
}

void EntryIndex::expect(std::span<const QString> items)
{
    m_next = 0;
    m_expected = items.size();
    while (m_turns.size() <= items.size())
        m_turns.emplace_back(m_mode);
    const std::span<Turn> turns = std::span(m_turns).first(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        Turn &turn = turns[i];
        turn.item = &items[i];
        turn.pattern.assign(items[i]);
        if (turn.pattern.isLiteral()) {
            turn.nameHash = m_names->hash(turn.pattern.anchorLiteral());
            m_names->prefetch(turn.nameHash);
        }
    }
    const std::span<const QByteArrayView> texts = m_table.entryTexts();
    const SuffixIndex &index = suffixIndex(0);
    for (Turn &turn : turns) {
        turn.guess = turn.pattern.isLiteral() ? m_names->guess(turn.nameHash) : NameIndex::Found{};
        if (turn.guess.onlyText >= 0)
            prefetchLine(&texts[size_t(turn.guess.onlyText)]);
        else if (turn.guess.position >= 0)
            index.prefetch(size_t(turn.guess.position));
    }
    for (const Turn &turn : turns) {
        if (turn.guess.onlyText >= 0) {
            prefetchLine(texts[size_t(turn.guess.onlyText)].data());
            prefetchLine(&m_table.entryLines()[size_t(turn.guess.onlyText)]);
        } else if (turn.guess.position >= 0) {
            index.prefetchText(size_t(turn.guess.position));
        }
    }
}

std::span<const qint32> EntryIndex::linesMatching(const QString &item)
{
    const Turn *found = nullptr;
    if (m_next < m_expected && m_turns[m_next].item == &item) {
        found = &m_turns[m_next++];
    } else {
        m_next = m_expected = 0;
        Turn &turn = m_turns.back();
        turn.pattern.assign(item);
        if (turn.pattern.isLiteral())
            turn.nameHash = m_names->hash(turn.pattern.anchorLiteral());
        found = &turn;
    }
    const Turn &turn = *found;
    const ItemPattern &pattern = turn.pattern;
    if (pattern.matchesNothing())
        return {};
    std::span<const SuffixIndex::Item> candidates;
    if (pattern.isLiteral()) {
        const SuffixIndex &index = suffixIndex(0);
        const NameIndex::Found named = m_names->find(pattern.anchorLiteral(), turn.nameHash);
        if (named.onlyText >= 0) {
            m_found.assign(1, m_table.entryLines()[size_t(named.onlyText)]);
            return m_found;
        }
        const SuffixIndex::Suffix suffix(pattern.anchorLiteral());
        candidates = named.position >= 0 ? index.endingWithAround(suffix, size_t(named.position))
                                         : index.endingWith(suffix);
        if (candidates.size() <= cheapAnswer) {
            m_found.clear();
            for (const SuffixIndex::Item &c : candidates)
                m_found.push_back(index.id(c));
            // Equal texts come in file order; only different ones need sorting.
            if (!std::is_sorted(m_found.begin(), m_found.end()))
                std::sort(m_found.begin(), m_found.end());
            return m_found;
        }
    }
    if (const auto it = m_cache.constFind(item); it != m_cache.constEnd())
        return *it;

    // Entries first, lines after sorting: the lines are then read in order,
    // however many there are.
    m_found.clear();
    if (pattern.isLiteral()) {
        for (const SuffixIndex::Item &c : candidates)
            m_found.push_back(c.entry);
    } else {
        const SuffixIndex &index = candidatesOf(pattern);
        // Equal texts mostly come together: each run of them is checked once.
        QByteArrayView checked;
        bool matches = false;
        for (const std::span<const SuffixIndex::Item> range : m_ranges) {
            for (const SuffixIndex::Item &c : range) {
                const QByteArrayView text = index.text(c);
                if (checked.data() == nullptr || text != checked) {
                    checked = text;
                    matches = pattern.matches(text);
                }
                if (matches)
                    m_found.push_back(c.entry);
            }
        }
    }
    std::sort(m_found.begin(), m_found.end());
    const std::vector<qint32> &lines = m_table.entryLines();
    for (qint32 &found : m_found)
        found = lines[size_t(found)];
    return remember(item);
}

// Fills m_ranges with the entries that end with the item's anchor and the
// characters after it; returns the index they are items of.
const SuffixIndex &EntryIndex::candidatesOf(const ItemPattern &pattern)
{
    m_ranges.clear();
    const SuffixIndex &whole = suffixIndex(0);
    if (pattern.anchorLiteral().isEmpty()) {
        m_ranges.push_back(whole.all());
        return whole;
    }
    const QByteArrayView anchor = pattern.anchorLiteral();
    const int offset = pattern.anchorOffset();
    if (offset == 0) {
        const std::span<const SuffixIndex::Item> within = whole.endingWith(SuffixIndex::Suffix(anchor));
        // A common ending after a "?" ("Name? (720p)"): searching gap by gap
        // for what comes before the "?" beats matching every text that ends so.
        if (!pattern.innerLiteral().isEmpty() && within.size() > gapSearchFrom) {
            if (whole.endingWithGap(pattern.innerLiteral(), pattern.innerGap(), anchor, within,
                                    within.size() / candidatesPerRun, m_ranges))
                return whole;
            m_ranges.clear();
        }
        m_ranges.push_back(within);
        return whole;
    }
    // Texts seldom end in many different ways: a few searches per way spare
    // sorting the texts once more, "?" at the end being the usual case.
    const size_t maxRuns = m_table.entryTexts().size() / searchesPerSort + 1;
    if (!m_manyRuns.contains(offset)
        && whole.endingWithGap(anchor, offset, {}, whole.all(), maxRuns, m_ranges))
        return whole;
    m_manyRuns.insert(offset);
    m_ranges.clear();
    const SuffixIndex &shortened = suffixIndex(offset);
    m_ranges.push_back(shortened.endingWith(SuffixIndex::Suffix(anchor)));
    return shortened;
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
