#include "writer/EntryIndex.h"

#include "writer/EntryTable.h"
#include "writer/Prefetch.h"

#include <algorithm>
#include <utility>

namespace {

// About 64 MB of cached entry numbers.
constexpr qsizetype cacheBudgetEntries = 16 << 20;
// Answers with this few entries are cheaper to gather again than to cache.
constexpr size_t cheapAnswer = 8;
// Searching the gaps after an anchor gives up past one run of texts per this
// many texts: by then it has cost a good part of sorting them once more.
constexpr size_t searchesPerSort = 16;
// Below this many texts ending with the anchor, matching them all is cheap.
constexpr size_t gapSearchFrom = 64;
// Searching one gap costs about as much as matching this many texts.
constexpr size_t candidatesPerRun = 8;

QByteArray keyOf(QByteArrayView item)
{
    return QByteArray::fromRawData(item.data(), item.size());
}

} // namespace

void EntryIndex::Turn::assign(QByteArrayView bytes)
{
    item = bytes;
    pattern.assign(bytes);
    nameHash = pattern.isLiteral() ? NameIndex::hash(bytes) : 0;
    guess = {};
}

EntryIndex::EntryIndex(const EntryTable &table, TimeSlice &slice)
    : m_mode(table.mode())
    , m_texts(table.texts())
    , m_turns{Turn(m_mode)}
{
    // Every item needs it; the others are made when an item asks for them.
    m_whole = suffixIndex(0, slice);
    if (!m_whole)
        return;
    m_names.emplace(m_texts, *m_whole, slice);
    m_stopped = !m_names->complete();
}

void EntryIndex::expect(std::span<const QByteArrayView> items)
{
    m_next = 0;
    m_expected = items.size();
    while (m_turns.size() <= items.size())
        m_turns.emplace_back(m_mode);
    const std::span<Turn> turns = std::span(m_turns).first(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        turns[i].assign(items[i]);
        if (turns[i].pattern.isLiteral())
            m_names->prefetch(turns[i].nameHash);
    }
    for (Turn &turn : turns) {
        if (turn.pattern.isLiteral())
            turn.guess = m_names->guess(turn.nameHash);
    }
    prefetchGuesses(turns);
}

// What the slots point to, then what that points to.
void EntryIndex::prefetchGuesses(std::span<const Turn> turns) const
{
    const SuffixIndex &index = *m_whole;
    for (const Turn &turn : turns) {
        if (turn.guess.onlyText >= 0)
            prefetchLine(&m_texts[size_t(turn.guess.onlyText)]);
        else if (turn.guess.position >= 0)
            index.prefetch(size_t(turn.guess.position));
    }
    for (const Turn &turn : turns) {
        if (turn.guess.onlyText >= 0)
            prefetchLine(m_texts[size_t(turn.guess.onlyText)].data());
        else if (turn.guess.position >= 0)
            index.prefetchText(size_t(turn.guess.position));
    }
}

std::optional<std::span<const qint32>> EntryIndex::entriesMatching(QByteArrayView item, TimeSlice &slice)
{
    const Turn &turn = turnFor(item);
    if (turn.pattern.isLiteral()) {
        if (const auto answer = cheapLiteral(turn))
            return *answer;
    }
    if (const auto it = m_cache.constFind(keyOf(item)); it != m_cache.constEnd())
        return *it;
    gatherCandidates(turn.pattern, slice);
    if (std::exchange(m_stopped, false))
        return std::nullopt;
    std::sort(m_found.begin(), m_found.end());
    return remember(item);
}

const EntryIndex::Turn &EntryIndex::turnFor(QByteArrayView item)
{
    if (m_next < m_expected && m_turns[m_next].item.data() == item.data()
        && m_turns[m_next].item.size() == item.size())
        return m_turns[m_next++];
    m_next = m_expected = 0;
    m_turns.back().assign(item);
    return m_turns.back();
}

// A literal item that is a whole channel name and ends only its own entry
// needs one hash lookup; one that ends a few texts, a look at the index.
// Nullopt, with m_literalRange set, for the others.
std::optional<std::span<const qint32>> EntryIndex::cheapLiteral(const Turn &turn)
{
    const QByteArrayView literal = turn.pattern.anchorLiteral();
    const NameIndex::Found named = m_names->find(literal, turn.nameHash);
    if (named.onlyText >= 0) {
        m_found.assign(1, named.onlyText);
        return m_found;
    }
    const SuffixIndex &index = *m_whole;
    const SuffixIndex::Suffix suffix(literal);
    m_literalRange = named.position >= 0 ? index.endingWithAround(suffix, size_t(named.position))
                                         : index.endingWith(suffix);
    if (m_literalRange.size() > cheapAnswer)
        return std::nullopt;
    m_found.clear();
    for (const SuffixIndex::Item &c : m_literalRange)
        m_found.push_back(c.entry);
    // Equal texts come in file order; only different ones need sorting.
    if (!std::is_sorted(m_found.begin(), m_found.end()))
        std::sort(m_found.begin(), m_found.end());
    return m_found;
}

// Fills m_found with the matching entries, in any order.
void EntryIndex::gatherCandidates(const ItemPattern &pattern, TimeSlice &slice)
{
    m_found.clear();
    if (pattern.isLiteral()) {
        for (const SuffixIndex::Item &c : m_literalRange)
            m_found.push_back(c.entry);
        return;
    }
    const SuffixIndex &index = candidatesOf(pattern, slice);
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

// Fills m_ranges with the entries that end with the item's anchor and the
// characters after it; returns the index they are items of.
const SuffixIndex &EntryIndex::candidatesOf(const ItemPattern &pattern, TimeSlice &slice)
{
    m_ranges.clear();
    const SuffixIndex &whole = *m_whole;
    const QByteArrayView anchor = pattern.anchorLiteral();
    if (anchor.isEmpty()) {
        m_ranges.push_back(whole.all());
        return whole;
    }
    const int offset = pattern.anchorOffset();
    if (offset == 0) {
        const std::span<const SuffixIndex::Item> within = whole.endingWith(SuffixIndex::Suffix(anchor));
        if (!gapSearch(pattern, within))
            m_ranges.assign(1, within);
        return whole;
    }
    // Texts seldom end in many different ways: a few searches per way spare
    // sorting the texts once more, "?" at the end being the usual case.
    const size_t maxRuns = m_texts.size() / searchesPerSort + 1;
    if (!m_manyRuns.contains(offset) && whole.endingWithGap(anchor, offset, {}, whole.all(), maxRuns, m_ranges))
        return whole;
    m_manyRuns.insert(offset);
    m_ranges.clear();
    const SuffixIndex *shortened = suffixIndex(offset, slice);
    if (!shortened)
        return whole;
    m_ranges.assign(1, shortened->endingWith(SuffixIndex::Suffix(anchor)));
    return *shortened;
}

// A common ending after a "?" ("Name? (720p)"): searching gap by gap for
// what comes before the "?" beats matching every text that ends so. False,
// with m_ranges to be reset, when it does not.
bool EntryIndex::gapSearch(const ItemPattern &pattern, std::span<const SuffixIndex::Item> within)
{
    if (pattern.innerLiteral().isEmpty() || within.size() <= gapSearchFrom)
        return false;
    return m_whole->endingWithGap(pattern.innerLiteral(), pattern.innerGap(), pattern.anchorLiteral(),
                                        within, within.size() / candidatesPerRun, m_ranges);
}

// Null, with the index stopped, when the slice says stop while it is made.
const SuffixIndex *EntryIndex::suffixIndex(int dropped, TimeSlice &slice)
{
    auto it = m_suffixIndexes.find(dropped);
    if (it == m_suffixIndexes.end())
        it = m_suffixIndexes.try_emplace(dropped, m_texts, dropped, m_mode, slice).first;
    if (it->second.complete())
        return &it->second;
    m_suffixIndexes.erase(it);
    m_stopped = true;
    return nullptr;
}

std::span<const qint32> EntryIndex::remember(QByteArrayView item)
{
    if (m_cachedEntries + qsizetype(m_found.size()) > cacheBudgetEntries)
        return m_found;
    m_cachedEntries += qsizetype(m_found.size());
    return *m_cache.insert(item.toByteArray(), m_found);
}
