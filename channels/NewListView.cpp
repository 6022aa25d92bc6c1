#include "channels/NewListView.h"

#include <QItemSelectionModel>

int NewListView::selectedRow() const
{
    const QModelIndexList rows = selectionModel() ? selectionModel()->selectedIndexes() : QModelIndexList();
    return rows.isEmpty() ? -1 : rows.first().row();
}

void NewListView::selectRow(int row)
{
    setCurrentIndex(model()->index(row, 0));
}

void NewListView::mousePressEvent(QMouseEvent *event)
{
    ChannelListView::mousePressEvent(event);
    Q_EMIT mousePressed();
}

void NewListView::mouseReleaseEvent(QMouseEvent *event)
{
    ChannelListView::mouseReleaseEvent(event);
    Q_EMIT mouseReleased();
}
