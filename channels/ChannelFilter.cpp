#include "channels/ChannelFilter.h"

#include "base/Progress.h"
#include "channels/FilterIndex.h"
#include "encoding/TextFold.h"
#include "encoding/Utf8.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// Finds one word. A word of a byte or two (the first letter typed; a
// Cyrillic letter is two) is looked for by its last byte, which memchr finds
// many times faster than a general search; a longer one by Horspool's skips.
class WordSearch
{
public:
    explicit WordSearch(const QByteArray &word)
        : m_word(word)
        , m_skips(word.constData(), word.constData() + word.size())
    {
    }

    // Where the word stands in text from `from` on, or -1.
    [[nodiscard]] qsizetype find(QByteArrayView text, qsizetype from) const
    {
        const char *const begin = text.data();
        const char *const end = begin + text.size();
        if (m_word.size() > 2) {
            const char *const found = std::search(begin + from, end, m_skips);
            return found == end ? -1 : found - begin;
        }
        const qsizetype last = m_word.size() - 1;
        for (const char *p = begin + from + last; p < end;) {
            p = static_cast<const char *>(std::memchr(p, m_word[last], size_t(end - p)));
            if (!p)
                return -1;
            if (last == 0 || p[-1] == m_word[0])
                return p - last - begin;
            ++p;
        }
        return -1;
    }

private:
    const QByteArray &m_word;
    std::boyer_moore_horspool_searcher<const char *> m_skips;
};

} // namespace

ChannelQuery ChannelQuery::parse(QStringView text, qint32 group)
{
    ChannelQuery query;
    query.group = group;
    const QByteArray folded = textFold::folded(utf8::fromUtf16(text));
    for (qsizetype at = 0; at < folded.size();) {
        while (at < folded.size() && isBlank(folded[at]))
            ++at;
        qsizetype end = at;
        while (end < folded.size() && !isBlank(folded[end]))
            ++end;
        if (end > at)
            query.words.push_back(folded.sliced(at, end - at));
        at = end;
    }
    // The longest word narrows most; a word inside another adds nothing.
    std::sort(query.words.begin(), query.words.end(),
              [](const QByteArray &a, const QByteArray &b) { return a.size() > b.size(); });
    std::vector<QByteArray> kept;
    for (QByteArray &word : query.words) {
        if (std::none_of(kept.begin(), kept.end(), [&](const QByteArray &k) { return k.contains(word); }))
            kept.push_back(std::move(word));
    }
    query.words = std::move(kept);
    return query;
}

bool ChannelQuery::narrows(const ChannelQuery &wider) const
{
    if (wider.group != everyGroup && wider.group != group)
        return false;
    return std::all_of(wider.words.begin(), wider.words.end(), [&](const QByteArray &w) {
        return std::any_of(words.begin(), words.end(), [&](const QByteArray &mine) { return mine.contains(w); });
    });
}

namespace {

// Looks at the progress every so many channels: a look costs more than a
// channel.
constexpr qsizetype channelsPerLook = 256;

// A group alone (every group: all channels): its channels, by their numbers.
Result<std::vector<qint32>> channelsOfGroup(const std::vector<qint32> &groupOf, qint32 group,
                                            const std::vector<qint32> *within, Progress &progress)
{
    std::vector<qint32> shown;
    const qsizetype count = within ? qsizetype(within->size()) : qsizetype(groupOf.size());
    for (qsizetype i = 0; i < count; ++i) {
        const qint32 channel = within ? (*within)[size_t(i)] : qint32(i);
        if (group == ChannelQuery::everyGroup || groupOf[size_t(channel)] == group)
            shown.push_back(channel);
        if (i % channelsPerLook == 0 && !progress.next())
            return Stopped{};
    }
    return shown;
}

} // namespace

Result<std::vector<qint32>> filterChannels(const FilterIndex *index, const std::vector<qint32> &groupOf,
                                           const ChannelQuery &query, const std::vector<qint32> *within,
                                           Progress &progress)
{
    if (query.words.empty())
        return channelsOfGroup(groupOf, query.group, within, progress);
    Q_ASSERT(index);
    std::vector<WordSearch> searches;
    searches.reserve(query.words.size());
    for (const QByteArray &word : query.words)
        searches.emplace_back(word);
    // Every word but those before `from` stands in the name.
    const auto shows = [&](qsizetype channel, size_t from) {
        if (query.group != ChannelQuery::everyGroup && groupOf[size_t(channel)] != query.group)
            return false;
        const QByteArrayView name = index->folded(channel);
        return std::all_of(searches.begin() + qsizetype(from), searches.end(),
                           [&](const WordSearch &s) { return s.find(name, 0) >= 0; });
    };

    std::vector<qint32> shown;
    if (within) {
        for (size_t i = 0; i < within->size(); ++i) {
            if (shows((*within)[i], 0))
                shown.push_back((*within)[i]);
            if (i % channelsPerLook == 0 && !progress.next())
                return Stopped{};
        }
        return shown;
    }
    // One search of the whole buffer for the first word; each name it finds
    // is checked for the rest, and the search goes on after that name.
    const QByteArrayView all = index->all();
    qsizetype channel = 0;
    for (qsizetype at = 0; (at = searches.front().find(all, at)) >= 0;) {
        channel = index->channelAt(at, channel);
        if (shows(channel, 1))
            shown.push_back(qint32(channel));
        at = index->startOf(++channel);
        if (!progress.next())
            return Stopped{};
    }
    return shown;
}
