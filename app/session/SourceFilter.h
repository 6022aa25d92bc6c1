#pragma once

#include "app/session/BackgroundTask.h"
#include "channels/ChannelFilter.h"

#include <QObject>
#include <QString>

#include <memory>

class FilterIndex;
class SourceListModel;

// The source list's filter as the user types: each search runs on a thread
// of its own over the names as they are when it starts, a newer one replaces
// one that has not ended, and the list shows the result when it ends. A
// letter typed after others searches only what is shown. The names are
// folded for searching once, at the first search after the list was filled.
class SourceFilter : public QObject
{
    Q_OBJECT
public:
    explicit SourceFilter(SourceListModel &list, QObject *parent = nullptr);
    ~SourceFilter() override;

    [[nodiscard]] QString text() const { return m_text; }
    [[nodiscard]] qint32 group() const { return m_group; }
    // Whether the text or the group asks for a part of the list.
    [[nodiscard]] bool isActive() const { return !ChannelQuery::parse(m_text, m_group).isEmpty(); }

    void set(const QString &text, qint32 group);
    // A search runs; its result is not shown yet.
    [[nodiscard]] bool isSearching() const { return m_task.isRunning(); }

    // The list is about to be filled anew: a running search ends, the folded
    // names go, and the group is chosen anew from the groups that come; until
    // release() no search runs and the list shows every channel.
    void hold();
    void release();
    // A new playlist: neither text nor group.
    void clear();
    // Ends a running search; nothing it found is shown.
    void stop() { m_task.stop(); }

Q_SIGNALS:
    // The list shows what the filter asks for now.
    void applied();
    void failed(const QString &message);

private:
    struct Search;

    void apply();

    SourceListModel &m_list;
    BackgroundTask m_task;
    QString m_text;
    qint32 m_group = ChannelQuery::everyGroup;
    bool m_held = false;
    ChannelQuery m_shown; // what the list shows answers this
    std::shared_ptr<const FilterIndex> m_index;
    std::shared_ptr<Search> m_search; // the last one started
};
