#include "channels/ChannelListView.h"

ChannelListView::ChannelListView(QWidget *parent)
    : QListView(parent)
{
    // Told that every row is as high as the first, the view does not measure
    // the rows one by one.
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void ChannelListView::dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight,
                                  const QList<int> &roles)
{
    // Rows keep their size, so the layout stays as it is.
    QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
}
