#include "app/session/SourceFilter.h"

#include "base/FileFailure.h"
#include "base/Progress.h"
#include "channels/FilterIndex.h"
#include "channels/SourceListModel.h"

// What a search needs, taken when it starts (the list may change meanwhile),
// and what it found.
struct SourceFilter::Search
{
    ChannelQuery query;
    NameChunks names;
    std::vector<qint32> groups;
    std::optional<std::vector<qint32>> within;
    std::shared_ptr<const FilterIndex> index;
    Result<std::vector<qint32>> found = Stopped{};
    bool outOfMemory = false;
};

SourceFilter::SourceFilter(SourceListModel &list, QObject *parent)
    : QObject(parent)
    , m_list(list)
{
}

SourceFilter::~SourceFilter() = default;

void SourceFilter::set(const QString &text, qint32 group)
{
    if (text == m_text && group == m_group)
        return;
    m_text = text;
    m_group = group;
    apply();
}

void SourceFilter::hold()
{
    m_task.stop();
    m_held = true;
    m_index.reset();
    m_search.reset();
    m_shown = {};
    m_group = ChannelQuery::everyGroup;
}

void SourceFilter::release()
{
    m_held = false;
    apply();
}

void SourceFilter::clear()
{
    m_text.clear();
    m_group = ChannelQuery::everyGroup;
    apply();
}

void SourceFilter::apply()
{
    m_task.stop(); // a newer query replaces one that has not been answered
    // The folded names a stopped search made serve the next one.
    if (m_search && m_search->index)
        m_index = m_search->index;
    ChannelQuery query = ChannelQuery::parse(m_text, m_group);
    if (query.isEmpty() || m_held) {
        m_list.showAll();
        m_shown = {};
        Q_EMIT applied();
        return;
    }
    auto search = std::make_shared<Search>();
    m_search = search;
    search->names = m_list.names();
    search->groups = m_list.groupOfChannels();
    if (m_list.isFiltered() && query.narrows(m_shown))
        search->within = m_list.shown();
    search->index = m_index;
    search->query = std::move(query);
    const bool started = m_task.start(
        [search, &task = m_task] {
            // Asked every millisecond: a stop waits for the search to see it.
            Progress progress([&task] { return !task.stopRequested(); }, 1);
            try {
                // A group alone needs no folded names.
                if (!search->index && !search->query.words.empty()) {
                    Result<FilterIndex> built = FilterIndex::build(search->names, progress);
                    if (!built) {
                        search->found = Stopped{};
                        return;
                    }
                    search->index = std::make_shared<const FilterIndex>(std::move(*built));
                }
                search->found = filterChannels(search->index.get(), search->groups, search->query,
                                               search->within ? &*search->within : nullptr, progress);
            } catch (const std::bad_alloc &) {
                search->outOfMemory = true;
            }
        },
        [this, search] {
            m_index = search->index;
            if (search->outOfMemory) {
                Q_EMIT failed(FileFailure::outOfMemory().message());
                return;
            }
            if (!search->found)
                return;
            m_list.show(std::move(*search->found));
            m_shown = std::move(search->query);
            Q_EMIT applied();
        });
    if (!started)
        Q_EMIT failed(FileFailure::outOfMemory().message());
}
