#include "channels/NewListModel.h"

#include <algorithm>

NewListModel::NewListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

int NewListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant NewListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= count())
        return {};
    return m_names.shownText(m_rows[size_t(index.row())]);
}

Qt::ItemFlags NewListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

void NewListModel::clear()
{
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

void NewListModel::clear(const NameChunks &names)
{
    beginResetModel();
    m_names = names;
    m_rows.clear();
    endResetModel();
}

void NewListModel::append(std::span<const qint32> nameRows)
{
    if (nameRows.empty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + int(nameRows.size()) - 1);
    m_rows.insert(m_rows.end(), nameRows.begin(), nameRows.end());
    endInsertRows();
}

int NewListModel::step(int row, Direction direction)
{
    const int other = direction == Direction::Up ? row - 1 : row + 1;
    if (row < 0 || row >= count() || other < 0 || other >= count())
        return row;
    std::swap(m_rows[size_t(row)], m_rows[size_t(other)]);
    Q_EMIT dataChanged(index(std::min(row, other)), index(std::max(row, other)), {Qt::DisplayRole});
    return other;
}

void NewListModel::move(int from, int to)
{
    if (from == to) {
        // Taken out and put back at its place: only its row is redrawn.
        Q_EMIT dataChanged(index(from), index(from), {Qt::DisplayRole});
        return;
    }
    // Qt counts the destination before the removal.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    const qint32 item = m_rows[size_t(from)];
    m_rows.erase(m_rows.begin() + from);
    m_rows.insert(m_rows.begin() + to, item);
    endMoveRows();
}
