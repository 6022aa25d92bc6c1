#pragma once

#include "app/ChannelListView.h"
#include "channels/NewListModel.h"

#include <QCursor>

class QAction;

#include <vector>

// The new list's view. Items are selected as in any list (Ctrl and Shift
// with a click); the current one is what the move buttons move. A channel is
// dragged to another place with the mouse: a press without Ctrl or Shift
// takes the item under it, the selection follows the pointer, and the item
// is dropped on the row selected when the button comes up. Delete and the
// context menu remove the selected items or move them to either end.
class NewListView : public ChannelListView
{
    Q_OBJECT
public:
    explicit NewListView(QWidget *parent = nullptr);

    // The current row while it is selected, -1 otherwise.
    [[nodiscard]] int selectedRow() const;
    // The selected rows, in order.
    [[nodiscard]] std::vector<int> selectedRows() const;
    // The row alone selected, and current.
    void selectRow(int row);
    void selectRows(const std::vector<int> &rows);
    // Shown while a mouse button is down on the list.
    void setDragCursor(const QCursor &cursor) { m_dragCursor = cursor; }
    // Whether items may be removed now.
    void setRemovalEnabled(bool enabled);

Q_SIGNALS:
    // A button went down with `from` selected and came up with `to` selected,
    // another row; a release with nothing selected drops nothing.
    void dropped(int from, int to);
    void removeRequested();
    void moveToEdgeRequested(NewListModel::Edge edge);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    QCursor m_dragCursor;
    int m_dragFrom = -1;
    // The context menu's entries; removing is also the Delete key's.
    QAction *m_remove;
    QAction *m_toTop;
    QAction *m_toBottom;
};
