#pragma once

#include "channels/GroupList.h"
#include "channels/NameChunks.h"

#include <QAbstractListModel>
#include <QString>

#include <memory>
#include <vector>

// The source list: one channel per entry of the loaded playlist, in file
// order, each with a tick and a group; a ticked channel is a chosen one. The
// names come in batches and are kept as bytes; a new fill starts new names,
// so the new list can go on using the old ones.
//
// The view's rows are the channels shown: all of them, or those a filter
// chose. Ticks belong to channels, so they stay whatever is shown; count(),
// isTicked() and setTicked() speak of channels, rowCount() and data() of rows.
class SourceListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    // What a pass hands over: names, their groups' numbers (-1 for none) and
    // the groups that are new in it.
    struct Batch
    {
        std::shared_ptr<const NameList> names;
        std::vector<qint32> groups;
        NameList newGroups;
    };

    explicit SourceListModel(QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    [[nodiscard]] Qt::ItemFlags flags(const QModelIndex &index) const override;

    [[nodiscard]] int count() const { return int(m_ticks.size()); }
    [[nodiscard]] QString text(int channel) const { return m_names.text(channel); }
    [[nodiscard]] bool isTicked(int channel) const { return m_ticks[size_t(channel)] != 0; }
    [[nodiscard]] const std::vector<char> &ticks() const { return m_ticks; }
    [[nodiscard]] const NameChunks &names() const { return m_names; }
    [[nodiscard]] const GroupList &groups() const { return m_groups; }
    [[nodiscard]] const std::vector<qint32> &groupOfChannels() const { return m_groupOf; }

    void setTicked(int channel, bool ticked);
    // Ticks or unticks these channels, a sorted list, at once.
    void setTicked(const std::vector<qint32> &channels, bool ticked);
    // Every tick as given (one per channel).
    void setTicks(std::vector<char> ticks);
    [[nodiscard]] bool allTicked() const;

    // Empties the list; the names that come next are in this encoding.
    void clear(InputMode encoding);
    // The same, but the channels that come again keep their groups: batches
    // without group numbers follow.
    void clearNames(InputMode encoding);
    void append(Batch batch, bool ticked);

    // The channels shown, in file order: a filter's choice, or all of them.
    void show(std::vector<qint32> channels);
    void showAll();
    [[nodiscard]] bool isFiltered() const { return m_filtered; }
    [[nodiscard]] int channelAt(int row) const { return m_filtered ? m_shown[size_t(row)] : row; }
    // The row that shows the channel, -1 when it is not shown.
    [[nodiscard]] int rowOf(int channel) const;
    [[nodiscard]] const std::vector<qint32> &shown() const { return m_shown; }

Q_SIGNALS:
    // Groups came, or their counts changed, or the list was emptied.
    void groupsChanged();

private:
    void rowsChanged(int first, int last);

    NameChunks m_names;
    std::vector<char> m_ticks;
    std::vector<qint32> m_groupOf;
    GroupList m_groups;
    bool m_filtered = false;
    std::vector<qint32> m_shown; // while filtered
};
