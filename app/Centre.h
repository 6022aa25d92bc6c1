#pragma once

#include <QRect>
#include <QWidget>

// Moves a window so that its middle is the middle of the area (a screen's
// free area, or another window).
inline void centreWindow(QWidget *window, const QRect &area)
{
    QRect frame(QPoint(), window->frameGeometry().size());
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
}
