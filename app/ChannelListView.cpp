#include "app/ChannelListView.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

ChannelListView::ChannelListView(QWidget *parent)
    : QAbstractItemView(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
}

int ChannelListView::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QModelIndex ChannelListView::rowIndex(int row) const
{
    return row >= 0 && row < rowCount() ? model()->index(row, 0, rootIndex()) : QModelIndex();
}

// Measured once on the first row, as every row is alike.
int ChannelListView::rowHeight() const
{
    // Kept once measured: it is asked for every row a change touches, and
    // font metrics cost a lock each time.
    if (m_rowHeight > 0)
        return m_rowHeight;
    const int least = std::max(fontMetrics().height(), 1);
    if (rowCount() == 0)
        return least;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    m_rowHeight = std::max(itemDelegateForIndex(rowIndex(0))->sizeHint(option, rowIndex(0)).height(), least);
    return m_rowHeight;
}

int ChannelListView::topRow() const
{
    return verticalScrollBar()->value();
}

int ChannelListView::rowsShown() const
{
    return std::max(1, viewport()->height() / rowHeight());
}

int ChannelListView::verticalOffset() const
{
    return topRow() * rowHeight();
}

QRect ChannelListView::visualRect(const QModelIndex &index) const
{
    if (!index.isValid())
        return {};
    return QRect(0, (index.row() - topRow()) * rowHeight(), viewport()->width(), rowHeight());
}

QModelIndex ChannelListView::indexAt(const QPoint &point) const
{
    if (point.y() < 0)
        return {};
    return rowIndex(topRow() + point.y() / rowHeight());
}

void ChannelListView::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int row = index.row();
    const int shown = rowsShown();
    int top = topRow();
    switch (hint) {
    case EnsureVisible:
        if (row < top)
            top = row;
        else if (row >= top + shown)
            top = row - shown + 1;
        break;
    case PositionAtTop:
        top = row;
        break;
    case PositionAtBottom:
        top = row - shown + 1;
        break;
    case PositionAtCenter:
        top = row - shown / 2;
        break;
    }
    verticalScrollBar()->setValue(top);
}

QModelIndex ChannelListView::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    if (!current.isValid())
        return rowIndex(0);
    int row = current.row();
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        --row;
        break;
    case MoveDown:
    case MoveNext:
        ++row;
        break;
    case MovePageUp:
        row -= rowsShown();
        break;
    case MovePageDown:
        row += rowsShown();
        break;
    case MoveHome:
        row = 0;
        break;
    case MoveEnd:
        row = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        break;
    }
    return rowIndex(std::clamp(row, 0, count - 1));
}

void ChannelListView::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const QRect rows = rect.normalized();
    const int first = std::max(0, topRow() + std::max(0, rows.top()) / rowHeight());
    const int last = std::min(rowCount() - 1, topRow() + std::max(0, rows.bottom()) / rowHeight());
    QItemSelection selection;
    if (rows.bottom() >= 0 && first <= last)
        selection.select(rowIndex(first), rowIndex(last));
    selectionModel()->select(selection, command);
}

QRegion ChannelListView::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    for (const QItemSelectionRange &range : selection) {
        const int top = std::max(range.top(), topRow());
        const int bottom = std::min(range.bottom(), topRow() + rowsShown());
        if (top <= bottom)
            region += visualRect(rowIndex(top)).united(visualRect(rowIndex(bottom)));
    }
    return region;
}

void ChannelListView::paintEvent(QPaintEvent *)
{
    QPainter painter(viewport());
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QStyle::State state = option.state;
    const QModelIndex current = currentIndex();
    const bool focus = (hasFocus() || viewport()->hasFocus()) && current.isValid();
    const int last = std::min(rowCount() - 1, topRow() + rowsShown());
    for (int row = topRow(); row <= last; ++row) {
        const QModelIndex index = rowIndex(row);
        option.rect = visualRect(index);
        option.state = state;
        if (selectionModel() && selectionModel()->isSelected(index))
            option.state |= QStyle::State_Selected;
        if (focus && index == current)
            option.state |= QStyle::State_HasFocus;
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
}

void ChannelListView::updateGeometries()
{
    const int shown = rowsShown();
    verticalScrollBar()->setRange(0, std::max(0, rowCount() - shown));
    verticalScrollBar()->setPageStep(shown);
    verticalScrollBar()->setSingleStep(1);
    QAbstractItemView::updateGeometries();
}

void ChannelListView::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    if (start <= topRow() + rowsShown())
        viewport()->update();
}

// Scrolling goes by whole rows: whatever shows is painted anew.
void ChannelListView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void ChannelListView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        m_rowHeight = 0;
    QAbstractItemView::changeEvent(event);
}
