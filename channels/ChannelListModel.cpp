#include "channels/ChannelListModel.h"

ChannelListModel::ChannelListModel(bool checkable, QObject *parent)
    : QAbstractListModel(parent)
    , m_checkable(checkable)
{
}

int ChannelListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ChannelListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return m_texts.at(index.row());
    case Qt::CheckStateRole:
        if (m_checkable)
            return isChecked(index.row()) ? Qt::Checked : Qt::Unchecked;
        return {};
    default:
        return {};
    }
}

bool ChannelListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!m_checkable || role != Qt::CheckStateRole || !index.isValid() || index.row() >= count())
        return false;
    setChecked(index.row(), value.value<Qt::CheckState>() == Qt::Checked);
    return true;
}

Qt::ItemFlags ChannelListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (m_checkable)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

void ChannelListModel::clear()
{
    if (m_texts.isEmpty())
        return;
    beginResetModel();
    m_texts.clear();
    m_checked.clear();
    endResetModel();
}

void ChannelListModel::append(QStringList &&texts, bool checked)
{
    if (texts.isEmpty())
        return;
    const int first = count();
    beginInsertRows({}, first, first + int(texts.size()) - 1);
    if (m_texts.isEmpty())
        m_texts = std::move(texts);
    else
        m_texts.append(std::move(texts));
    m_checked.resize(size_t(m_texts.size()), checked ? 1 : 0);
    endInsertRows();
    texts.clear();
}

void ChannelListModel::setChecked(int row, bool checked)
{
    if (isChecked(row) == checked)
        return;
    m_checked[size_t(row)] = checked ? 1 : 0;
    const QModelIndex i = index(row);
    Q_EMIT dataChanged(i, i, {Qt::CheckStateRole});
}

void ChannelListModel::swap(int a, int b)
{
    m_texts.swapItemsAt(a, b);
    std::swap(m_checked[size_t(a)], m_checked[size_t(b)]);
    Q_EMIT dataChanged(index(qMin(a, b)), index(qMax(a, b)));
}

void ChannelListModel::move(int from, int to)
{
    if (from == to) {
        // Taken out and put back at its place: only its row is redrawn.
        Q_EMIT dataChanged(index(from), index(from));
        return;
    }
    // Qt counts the destination before the removal.
    beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
    m_texts.move(from, to);
    const char tick = m_checked[size_t(from)];
    m_checked.erase(m_checked.begin() + from);
    m_checked.insert(m_checked.begin() + to, tick);
    endMoveRows();
}
