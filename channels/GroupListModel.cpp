#include "channels/GroupListModel.h"

#include "channels/SourceListModel.h"

GroupListModel::GroupListModel(const SourceListModel &source, QObject *parent)
    : QAbstractListModel(parent)
    , m_source(source)
{
    // Groups only ever come while the list fills, a batch at a time.
    connect(&source, &SourceListModel::groupsChanged, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int GroupListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : rowOfGroup(m_source.groups().count());
}

QVariant GroupListModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount())
        return {};
    if (index.row() == 0)
        return QStringLiteral("Все группы");
    const qint32 group = groupOfRow(index.row());
    // At once: a name may hold "%2".
    return QStringLiteral("%1 (%2)").arg(m_source.groups().text(group), QString::number(m_source.groups().channels(group)));
}
