#include "app/NewListView.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QItemSelectionModel>
#include <QMenu>

namespace {

QAction *entry(QWidget *view, const char *name, const QString &text)
{
    auto action = new QAction(text, view);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

NewListView::NewListView(QWidget *parent)
    : ChannelListView(parent)
    , m_remove(entry(this, "removeFromList", QStringLiteral("Удалить из списка")))
    , m_toTop(entry(this, "moveToTop", QStringLiteral("В начало")))
    , m_toBottom(entry(this, "moveToBottom", QStringLiteral("В конец")))
{
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_remove->setShortcut(QKeySequence::Delete);
    m_remove->setShortcutContext(Qt::WidgetShortcut);
    addAction(m_remove);
    connect(m_remove, &QAction::triggered, this, &NewListView::removeRequested);
    connect(m_toTop, &QAction::triggered, this, [this] { Q_EMIT moveToEdgeRequested(NewListModel::Edge::Top); });
    connect(m_toBottom, &QAction::triggered, this, [this] { Q_EMIT moveToEdgeRequested(NewListModel::Edge::Bottom); });
}

void NewListView::setRemovalEnabled(bool enabled)
{
    m_remove->setEnabled(enabled);
}

int NewListView::selectedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isSelected(current) ? current.row() : -1;
}

std::vector<int> NewListView::selectedRows() const
{
    std::vector<int> rows;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); row <= range.bottom(); ++row)
            rows.push_back(row);
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

void NewListView::selectRow(int row)
{
    selectionModel()->setCurrentIndex(model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

void NewListView::selectRows(const std::vector<int> &rows)
{
    QItemSelection selection;
    for (const int row : rows)
        selection.select(model()->index(row, 0), model()->index(row, 0));
    selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!rows.empty())
        selectionModel()->setCurrentIndex(model()->index(rows.front(), 0), QItemSelectionModel::NoUpdate);
}

void NewListView::mousePressEvent(QMouseEvent *event)
{
    // Without Ctrl or Shift a press takes one item to drag, and while the
    // button is down the one selected item follows the pointer, the list
    // scrolling at its ends: the single selection of any list.
    const bool dragging = !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
    if (dragging)
        setSelectionMode(QAbstractItemView::SingleSelection);
    ChannelListView::mousePressEvent(event);
    m_dragFrom = dragging ? selectedRow() : -1;
    viewport()->setCursor(m_dragCursor);
}

void NewListView::mouseReleaseEvent(QMouseEvent *event)
{
    ChannelListView::mouseReleaseEvent(event);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    const int to = selectedRow();
    const int from = std::exchange(m_dragFrom, -1);
    viewport()->unsetCursor();
    if (from >= 0 && to >= 0 && from != to)
        Q_EMIT dropped(from, to);
}

void NewListView::contextMenuEvent(QContextMenuEvent *event)
{
    if (selectionModel()->selection().isEmpty())
        return;
    QMenu menu(this);
    menu.addActions({m_remove, m_toTop, m_toBottom});
    menu.exec(event->globalPos());
}
