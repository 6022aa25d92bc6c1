#pragma once

#include <QPointer>
#include <QWidget>

#include <utility>

// Shows the one window kept in slot: creates it when there is none (the
// window deletes itself on close, which empties the slot), otherwise brings
// the open one to the front.
template<class W, class... Args>
W *showSingle(QPointer<W> &slot, Args &&...args)
{
    if (!slot)
        slot = new W(std::forward<Args>(args)...);
    W *window = slot.data();
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}
