#include "channels/SourceListModel.h"

#include <algorithm>

SourceListModel::SourceListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int SourceListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return m_filtered ? int(m_shown.size()) : count();
}

QVariant SourceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const int channel = channelAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_names.shownText(channel);
    case Qt::CheckStateRole:
        return isTicked(channel) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool SourceListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= rowCount())
        return false;
    setTicked(channelAt(index.row()), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags SourceListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

void SourceListModel::rowsChanged(int first, int last)
{
    if (first <= last)
        Q_EMIT dataChanged(index(first), index(last), {Qt::CheckStateRole});
}

void SourceListModel::setTicked(int channel, bool ticked)
{
    if (isTicked(channel) == ticked)
        return;
    m_ticks[size_t(channel)] = ticked ? 1 : 0;
    if (const int row = rowOf(channel); row >= 0)
        rowsChanged(row, row);
}

void SourceListModel::setTicked(const std::vector<qint32> &channels, bool ticked)
{
    for (const qint32 channel : channels)
        m_ticks[size_t(channel)] = ticked ? 1 : 0;
    if (!channels.empty())
        rowsChanged(0, rowCount() - 1); // one repaint, not one per channel
}

void SourceListModel::setTicks(std::vector<char> ticks)
{
    Q_ASSERT(ticks.size() == m_ticks.size());
    m_ticks = std::move(ticks);
    rowsChanged(0, rowCount() - 1);
}

bool SourceListModel::allTicked() const
{
    return !m_ticks.empty() && std::find(m_ticks.begin(), m_ticks.end(), 0) == m_ticks.end();
}

void SourceListModel::clear(InputMode encoding)
{
    clearNames(encoding);
    m_groupOf.clear();
    m_groups = GroupList(encoding);
    Q_EMIT groupsChanged();
}

void SourceListModel::clearNames(InputMode encoding)
{
    beginResetModel();
    m_names = NameChunks(encoding);
    m_ticks.clear();
    m_filtered = false;
    m_shown.clear();
    endResetModel();
}

void SourceListModel::append(Batch batch, bool ticked)
{
    m_groups.append(batch.newGroups);
    for (const qint32 group : batch.groups) {
        if (group >= 0)
            m_groups.addChannel(group);
    }
    if (batch.names->isEmpty())
        return;
    const int first = count();
    const auto added = size_t(batch.names->count());
    Q_ASSERT(batch.groups.empty() || batch.groups.size() == added);
    // Rows come only while everything is shown; a filter chose before them.
    if (!m_filtered)
        beginInsertRows({}, first, first + int(added) - 1);
    m_names.append(std::move(batch.names));
    m_ticks.resize(m_ticks.size() + added, ticked ? 1 : 0);
    m_groupOf.insert(m_groupOf.end(), batch.groups.begin(), batch.groups.end());
    if (!m_filtered)
        endInsertRows();
    if (std::any_of(batch.groups.begin(), batch.groups.end(), [](qint32 g) { return g >= 0; }))
        Q_EMIT groupsChanged();
}

void SourceListModel::show(std::vector<qint32> channels)
{
    beginResetModel();
    m_filtered = true;
    m_shown = std::move(channels);
    endResetModel();
}

void SourceListModel::showAll()
{
    if (!m_filtered)
        return;
    beginResetModel();
    m_filtered = false;
    m_shown.clear();
    m_shown.shrink_to_fit();
    endResetModel();
}

int SourceListModel::rowOf(int channel) const
{
    if (!m_filtered)
        return channel < count() ? channel : -1;
    const auto at = std::lower_bound(m_shown.begin(), m_shown.end(), channel);
    return at != m_shown.end() && *at == channel ? int(at - m_shown.begin()) : -1;
}
