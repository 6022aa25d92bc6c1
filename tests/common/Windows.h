#pragma once

#include <QApplication>
#include <QWidget>

namespace testsupport {

// How many top-level windows of this class are shown.
template<class W>
[[nodiscard]] int visibleWindows()
{
    int count = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        count += qobject_cast<W *>(window) && window->isVisible();
    return count;
}

} // namespace testsupport
