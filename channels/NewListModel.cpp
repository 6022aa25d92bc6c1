#include "channels/NewListModel.h"

#include <algorithm>
#include <iterator>
#include <numeric>

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

void NewListModel::set(const NameChunks &names, std::vector<qint32> nameRows)
{
    beginResetModel();
    m_names = names;
    m_rows = std::move(nameRows);
    endResetModel();
}

std::vector<qint32> NewListModel::remove(const std::vector<int> &rows)
{
    std::vector<qint32> channels;
    channels.reserve(rows.size());
    // From the end, so that the rows still to go keep their places; a run of
    // neighbours goes at once.
    for (auto last = rows.rbegin(); last != rows.rend();) {
        auto first = last;
        while (std::next(first) != rows.rend() && *std::next(first) == *first - 1)
            ++first;
        beginRemoveRows({}, *first, *last);
        channels.insert(channels.end(), m_rows.begin() + *first, m_rows.begin() + *last + 1);
        m_rows.erase(m_rows.begin() + *first, m_rows.begin() + *last + 1);
        endRemoveRows();
        last = std::next(first);
    }
    return channels;
}

std::vector<int> NewListModel::moveTo(const std::vector<int> &rows, Edge edge)
{
    if (rows.empty())
        return {};
    std::vector<qint32> moved;
    std::vector<qint32> rest;
    moved.reserve(rows.size());
    rest.reserve(m_rows.size() - rows.size());
    for (int row = 0, next = 0; row < count(); ++row) {
        const bool picked = next < int(rows.size()) && rows[size_t(next)] == row;
        (picked ? moved : rest).push_back(m_rows[size_t(row)]);
        next += picked;
    }
    const int first = edge == Edge::Top ? 0 : int(rest.size());
    std::vector<qint32> &front = edge == Edge::Top ? moved : rest;
    const std::vector<qint32> &back = edge == Edge::Top ? rest : moved;
    front.insert(front.end(), back.begin(), back.end());
    beginResetModel();
    m_rows = std::move(front);
    endResetModel();
    std::vector<int> now(rows.size());
    std::iota(now.begin(), now.end(), first);
    return now;
}
