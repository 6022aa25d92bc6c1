#pragma once

#include "channels/ChannelListView.h"

// The new list's view. It tells when a mouse button went down or up on it,
// after the view has moved its selection, so that a drag can read the
// selected row at both ends.
class NewListView : public ChannelListView
{
    Q_OBJECT
public:
    using ChannelListView::ChannelListView;

    // The selected row, -1 for none.
    [[nodiscard]] int selectedRow() const;
    void selectRow(int row);

Q_SIGNALS:
    void mousePressed();
    void mouseReleased();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};
