#include "app/NewListView.h"

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
    m_dragFrom = selectedRow();
    viewport()->setCursor(m_dragCursor);
}

void NewListView::mouseReleaseEvent(QMouseEvent *event)
{
    ChannelListView::mouseReleaseEvent(event);
    const int to = selectedRow();
    const int from = std::exchange(m_dragFrom, -1);
    viewport()->unsetCursor();
    if (from >= 0 && to >= 0)
        Q_EMIT dropped(from, to);
}
