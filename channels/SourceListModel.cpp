#include "channels/SourceListModel.h"

SourceListModel::SourceListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int SourceListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SourceListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return m_names.shownText(index.row());
    case Qt::CheckStateRole:
        return isTicked(index.row()) ? Qt::Checked : Qt::Unchecked;
    default:
        return {};
    }
}

bool SourceListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !index.isValid() || index.row() >= count())
        return false;
    setTicked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags SourceListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable | Qt::ItemNeverHasChildren;
}

void SourceListModel::setTicked(int row, bool ticked)
{
    if (isTicked(row) == ticked)
        return;
    m_ticks[size_t(row)] = ticked ? 1 : 0;
    const QModelIndex i = index(row);
    Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
}

void SourceListModel::clear(InputMode encoding)
{
    beginResetModel();
    m_names = NameChunks(encoding);
    m_ticks.clear();
    endResetModel();
}

void SourceListModel::append(std::shared_ptr<const NameList> names, bool ticked)
{
    if (names->isEmpty())
        return;
    const int first = count();
    const auto added = size_t(names->count());
    beginInsertRows({}, first, first + int(added) - 1);
    m_names.append(std::move(names));
    m_ticks.resize(m_ticks.size() + added, ticked ? 1 : 0);
    endInsertRows();
}
