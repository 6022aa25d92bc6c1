#pragma once

#include "app/ChannelListView.h"

#include <QCursor>

// The new list's view. A channel is dragged to another place with the mouse:
// the row selected when a button goes down is dropped on the row selected
// when it comes up (the selection follows the pointer in between).
class NewListView : public ChannelListView
{
    Q_OBJECT
public:
    using ChannelListView::ChannelListView;

    // The selected row, -1 for none.
    [[nodiscard]] int selectedRow() const;
    void selectRow(int row);
    // Shown while a mouse button is down on the list.
    void setDragCursor(const QCursor &cursor) { m_dragCursor = cursor; }

Q_SIGNALS:
    // A button went down with `from` selected and came up with `to`
    // selected; a release with nothing selected drops nothing.
    void dropped(int from, int to);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    QCursor m_dragCursor;
    int m_dragFrom = -1;
};
