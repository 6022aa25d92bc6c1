#include "app/Artwork.h"
#include "app/NewListView.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

QByteArray playlist(const QStringList &names)
{
    QByteArray bytes = "#EXTM3U\n";
    for (const QString &name : names)
        bytes += "#EXTINF:-1," + name.toUtf8() + "\nhttp://x\n";
    return bytes;
}

QStringList letters(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QString(QChar(u'A' + i));
    return out;
}

QStringList numbered(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QStringLiteral("C%1").arg(i);
    return out;
}

int tickedCount(const SourceListModel &list)
{
    int n = 0;
    for (int i = 0; i < list.count(); ++i)
        n += list.isTicked(i);
    return n;
}

// A shown window with these channels loaded.
[[nodiscard]] bool showLoaded(WindowDriver &driver, const QStringList &names)
{
    driver.window().show();
    if (!QTest::qWaitForWindowExposed(&driver.window()))
        return false;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlist(names)));
    return driver.sourceItems() == names;
}

// … and all of them in the new list, none selected.
[[nodiscard]] bool showNewList(WindowDriver &driver, const QStringList &names)
{
    if (!showLoaded(driver, names))
        return false;
    for (int i = 0; i < names.size(); ++i)
        driver.session().sourceList().setTicked(i, true);
    driver.click("Command3");
    return driver.newItems() == names;
}

QTimer *timer(WindowDriver &driver, const char *name)
{
    return driver.window().findChild<QTimer *>(QLatin1String(name));
}

NewListView *newList(WindowDriver &driver)
{
    return driver.control<NewListView>("List2");
}

QPoint centreOf(NewListView *view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

} // namespace

// The window's mouse behaviour: the select-all box, the move buttons and
// dragging in the new list, with real mouse events.
class TestListMouse : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void selectAllOnRelease_data();
    void selectAllOnRelease();
    void keyboardTogglesOnlyTheBox();
    void anyMouseButtonSteps_data();
    void anyMouseButtonSteps();
    void spaceBarMovesNothing();
    void holdRepeats_data();
    void holdRepeats();
    void drag_data();
    void drag();
    void dropOnNothingLosesNothing();
};

void TestListMouse::selectAllOnRelease_data()
{
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("boxBefore");
    QTest::addColumn<bool>("boxAfter");
    QTest::addRow("left-ticks") << Qt::LeftButton << false << true;
    QTest::addRow("left-unticks") << Qt::LeftButton << true << false;
    QTest::addRow("right-keeps-ticked") << Qt::RightButton << true << true;
    QTest::addRow("right-keeps-unticked") << Qt::RightButton << false << false;
    QTest::addRow("middle-keeps-ticked") << Qt::MiddleButton << true << true;
}

void TestListMouse::selectAllOnRelease()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, boxBefore);
    QFETCH(bool, boxAfter);
    WindowDriver driver;
    QVERIFY(showLoaded(driver, numbered(120)));
    driver.button("Check1")->setChecked(boxBefore);
    driver.session().sourceList().setTicked(3, !boxAfter); // a hand tick the select-all replaces

    QWidget *box = driver.control("Check1");
    QWindow *window = driver.window().windowHandle();
    QSignalSpy finished(&driver.session(), &PlaylistSession::finished);
    // The click may let the event loop run, and a short select-all end in it.
    QTest::mouseClick(window, button, {}, box->mapTo(&driver.window(), box->rect().center()));
    QVERIFY(!finished.isEmpty() || finished.wait());
    QCOMPARE(finished.first().first().value<PlaylistSession::Operation>(), PlaylistSession::Operation::SelectAll);

    QCOMPARE(driver.button("Check1")->isChecked(), boxAfter);
    QCOMPARE(driver.session().sourceList().count(), 120);
    QCOMPARE(tickedCount(driver.session().sourceList()), boxAfter ? 120 : 0);
    QCOMPARE(driver.button("Option1")->isEnabled(), !boxAfter);
    QCOMPARE(driver.control<QAbstractItemView>("List1")->currentIndex().row(), 0);
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestListMouse::keyboardTogglesOnlyTheBox()
{
    WindowDriver driver;
    QVERIFY(showLoaded(driver, letters(5)));
    driver.session().sourceList().setTicked(2, true);
    QWidget *box = driver.control("Check1");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(driver.button("Check1")->isChecked());
    QVERIFY(driver.session().isSelectAllTicked());
    QVERIFY(!driver.session().isBusy());
    QCOMPARE(tickedCount(driver.session().sourceList()), 1);
    QVERIFY(driver.session().sourceList().isTicked(2));
    QVERIFY(driver.button("Option1")->isEnabled());
}

// A press of any mouse button steps at once, its release stops the hold.
void TestListMouse::anyMouseButtonSteps_data()
{
    QTest::addColumn<Qt::MouseButton>("mouseButton");
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("selected");
    QTest::addRow("left-down") << Qt::LeftButton << "Command5" << 1 << "ACBD" << 2;
    QTest::addRow("right-down") << Qt::RightButton << "Command5" << 1 << "ACBD" << 2;
    QTest::addRow("middle-up") << Qt::MiddleButton << "Command4" << 1 << "BACD" << 0;
    QTest::addRow("left-up-from-first") << Qt::LeftButton << "Command4" << 0 << "ABCD" << 0;
    QTest::addRow("nothing-selected") << Qt::LeftButton << "Command5" << -1 << "ABCD" << -1;
}

void TestListMouse::anyMouseButtonSteps()
{
    QFETCH(Qt::MouseButton, mouseButton);
    QFETCH(QString, button);
    QFETCH(int, from);
    QFETCH(QString, order);
    QFETCH(int, selected);
    WindowDriver driver;
    QVERIFY(showNewList(driver, letters(4)));
    if (from >= 0)
        newList(driver)->selectRow(from);
    const bool up = button == u"Command4";
    QWidget *b = driver.control(qPrintable(button));

    QTest::mousePress(b, mouseButton);
    QCOMPARE(driver.newItems().join(QString()), order);
    QCOMPARE(newList(driver)->selectedRow(), selected);
    QVERIFY(timer(driver, up ? "Timer3" : "Timer4")->isActive());
    QTest::mouseRelease(b, mouseButton);
    QCOMPARE(driver.newItems().join(QString()), order);
    for (const char *name : {"Timer1", "Timer2", "Timer3", "Timer4"})
        QVERIFY2(!timer(driver, name)->isActive(), name);
    if (mouseButton == Qt::LeftButton) // the click hands the focus back
        QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
}

void TestListMouse::spaceBarMovesNothing()
{
    WindowDriver driver;
    QVERIFY(showNewList(driver, letters(3)));
    newList(driver)->selectRow(1);
    QWidget *down = driver.control("Command5");
    down->setFocus();
    QTest::keyClick(down, Qt::Key_Space);
    QCOMPARE(driver.newItems().join(QString()), QStringLiteral("ABC"));
    QCOMPARE(newList(driver)->selectedRow(), 1);
    QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
}

// Held through two ticks of its delay timer, a button goes on stepping at
// every tick of its repeat timer until it is released.
void TestListMouse::holdRepeats_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("delay");
    QTest::addColumn<QString>("repeat");
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addRow("down") << "Command5" << "Timer4" << "Timer2" << 0 << 29;
    QTest::addRow("up") << "Command4" << "Timer3" << "Timer1" << 29 << 0;
}

void TestListMouse::holdRepeats()
{
    QFETCH(QString, button);
    QFETCH(QString, delay);
    QFETCH(QString, repeat);
    QFETCH(int, from);
    QFETCH(int, to);
    WindowDriver driver;
    const QStringList items = numbered(30);
    QVERIFY(showNewList(driver, items));
    QTimer *delayTimer = timer(driver, qPrintable(delay));
    QTimer *repeatTimer = timer(driver, qPrintable(repeat));
    delayTimer->setInterval(5);
    repeatTimer->setInterval(1);
    QSignalSpy delayTicks(delayTimer, &QTimer::timeout);
    newList(driver)->selectRow(from);
    const int step = to > from ? 1 : -1;

    QWidget *b = driver.control(qPrintable(button));
    QTest::mousePress(b, Qt::LeftButton);
    QCOMPARE(newList(driver)->selectedRow(), from + step); // one step at once
    QVERIFY(delayTimer->isActive());
    QVERIFY(!repeatTimer->isActive());
    QTRY_VERIFY(repeatTimer->isActive());
    QCOMPARE(delayTicks.size(), 2);
    QVERIFY(!delayTimer->isActive());
    QTRY_COMPARE_WITH_TIMEOUT(newList(driver)->selectedRow(), to, 30000);
    QTest::mouseRelease(b, Qt::LeftButton);
    QVERIFY(!repeatTimer->isActive());
    QVERIFY(!delayTimer->isActive());
    QStringList moved = items;
    moved.move(from, to);
    QCOMPARE(driver.newItems(), moved);
}

// The row selected when the button goes down is dropped on the row selected
// when it comes up.
void TestListMouse::drag_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("order");
    QTest::addRow("B-onto-E") << 1 << 4 << "ACDEBF";
    QTest::addRow("E-onto-B") << 4 << 1 << "AEBCDF";
    QTest::addRow("B-onto-F") << 1 << 5 << "ACDEFB";
    QTest::addRow("onto-itself") << 2 << 2 << "ABCDEF";
}

void TestListMouse::drag()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, order);
    WindowDriver driver;
    QVERIFY(showNewList(driver, letters(6)));
    NewListView *list = newList(driver);
    QWidget *viewport = list->viewport();

    QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(list, from));
    QCOMPARE(list->selectedRow(), from);
    QVERIFY(viewport->testAttribute(Qt::WA_SetCursor));
    QCOMPARE(viewport->cursor().hotSpot(), artwork::handCursor().hotSpot());
    QTest::mouseMove(viewport, centreOf(list, (from + to) / 2));
    QTest::mouseMove(viewport, centreOf(list, to));
    QCOMPARE(list->selectedRow(), to); // the selection follows the pointer
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(list, to));
    QCOMPARE(driver.newItems().join(QString()), order);
    QCOMPARE(list->selectedRow(), to);
    QVERIFY(!viewport->testAttribute(Qt::WA_SetCursor));

    // The dropped item stays selected, so the move buttons act on it.
    const QString moved = driver.newItems().at(to);
    QTest::mouseClick(driver.control("Command4"), Qt::LeftButton);
    QCOMPARE(driver.newItems().indexOf(moved), qMax(0, to - 1));
}

void TestListMouse::dropOnNothingLosesNothing()
{
    WindowDriver driver;
    QVERIFY(showNewList(driver, letters(3)));
    NewListView *list = newList(driver);
    QWidget *viewport = list->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(list, 1));
    list->clearSelection();
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(list, 1));
    QCOMPARE(driver.newItems().join(QString()), QStringLiteral("ABC"));
    QVERIFY(!viewport->testAttribute(Qt::WA_SetCursor));

    // Pressed below the last item: nothing is selected, nothing moves.
    const QPoint below(5, viewport->height() - 2);
    QTest::mousePress(viewport, Qt::LeftButton, {}, below);
    QCOMPARE(list->selectedRow(), -1);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(list, 0));
    QCOMPARE(driver.newItems().join(QString()), QStringLiteral("ABC"));
}

QTEST_MAIN(TestListMouse)
#include "tst_listmouse.moc"
