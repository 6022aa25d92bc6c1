#pragma once

#include <QAbstractListModel>

class SourceListModel;

// The group chooser's items: «Все группы», then every group of the source
// list in the order it first appears, with the number of its channels
// («Спорт (42)»). Row g + 1 is group g.
class GroupListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    explicit GroupListModel(const SourceListModel &source, QObject *parent = nullptr);

    [[nodiscard]] int rowCount(const QModelIndex &parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex &index, int role) const override;

    [[nodiscard]] static qint32 groupOfRow(int row) { return row - 1; }
    [[nodiscard]] static int rowOfGroup(qint32 group) { return group + 1; }

private:
    const SourceListModel &m_source;
};
