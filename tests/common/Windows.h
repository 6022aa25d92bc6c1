#pragma once

#include <QApplication>
#include <QTest>
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

// A window of this fixed size with a close button and no minimise or
// maximise button; a mismatch fails the running test.
inline void verifyFixedDialog(const QWidget &window, QSize size)
{
    QCOMPARE(window.size(), size);
    QCOMPARE(window.minimumSize(), size);
    QCOMPARE(window.maximumSize(), size);
    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
}

} // namespace testsupport
