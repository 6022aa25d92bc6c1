#include "app/Form1.h"
#include "channels/ChannelListModel.h"
#include "channels/NewListView.h"
#include "channels/Reorder.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QTest>
#include <QTimer>

namespace {

// A window whose new list holds the given items, none selected.
void fillNewList(WindowDriver &driver, const QStringList &items)
{
    QByteArray input;
    for (const QString &item : items)
        input += "#EXTINF:-1," + item.toUtf8() + "\nhttp://x\n";
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), input));
    for (int i = 0; i < items.size(); ++i)
        driver.sourceList().setChecked(i, true);
    driver.clickButton("Command3");
}

QStringList letters(int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QString(QChar(u'A' + i));
    return out;
}

QPoint centreOf(NewListView *view, int row)
{
    return view->visualRect(view->model()->index(row, 0)).center();
}

} // namespace

class TestReorder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init();
    void steps_data();
    void steps();
    void nothingSelected();
    void anyMouseButtonSteps();
    void keyboardMovesNothing();
    void shortPressMovesOnce();
    void holdRepeatsUntilTheEnd();
    void drag_data();
    void drag();
    void dropOnNothingLosesNothing();

private:
    std::unique_ptr<WindowDriver> m_driver;
    NewListView *list() const { return m_driver->control<NewListView>("List2"); }
    Reorder &reorder() const { return m_driver->window().reorder(); }
};

void TestReorder::init()
{
    m_driver = std::make_unique<WindowDriver>();
    m_driver->window().show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_driver->window()));
}

void TestReorder::steps_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("selected");
    QTest::addRow("up-from-first") << "Command4" << 0 << "ABCDEF" << 0;
    QTest::addRow("down-from-first") << "Command5" << 0 << "BACDEF" << 1;
    QTest::addRow("down-from-last") << "Command5" << 5 << "ABCDEF" << 5;
    QTest::addRow("up-from-last") << "Command4" << 5 << "ABCDFE" << 4;
    QTest::addRow("up-from-middle") << "Command4" << 2 << "ACBDEF" << 1;
}

void TestReorder::steps()
{
    QFETCH(QString, button);
    QFETCH(int, from);
    QFETCH(QString, order);
    QFETCH(int, selected);
    fillNewList(*m_driver, letters(6));
    list()->selectRow(from);
    QWidget *b = m_driver->control(qPrintable(button));
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(m_driver->newItems().join(QString()), order);
    QCOMPARE(list()->selectedRow(), selected);
    QCOMPARE(reorder().moveDirection, 50);
    QCOMPARE(m_driver->window().focusWidget(), m_driver->control("Picture1"));
}

void TestReorder::nothingSelected()
{
    fillNewList(*m_driver, letters(3));
    QCOMPARE(list()->selectedRow(), -1);
    QTest::mouseClick(m_driver->control("Command4"), Qt::LeftButton);
    QTest::mouseClick(m_driver->control("Command5"), Qt::LeftButton);
    QCOMPARE(m_driver->newItems().join(QString()), QStringLiteral("ABC"));
    QCOMPARE(reorder().moveDirection, 50);
}

void TestReorder::anyMouseButtonSteps()
{
    fillNewList(*m_driver, letters(4));
    list()->selectRow(0);
    QTest::mouseClick(m_driver->control("Command5"), Qt::RightButton);
    QTest::mouseClick(m_driver->control("Command5"), Qt::MiddleButton);
    QCOMPARE(m_driver->newItems().join(QString()), QStringLiteral("BCAD"));
    QVERIFY(!m_driver->window().findChild<QTimer *>(QStringLiteral("Timer4"))->isActive());
}

void TestReorder::keyboardMovesNothing()
{
    fillNewList(*m_driver, letters(3));
    list()->selectRow(1);
    QVERIFY(QTest::qWaitForWindowActive(&m_driver->window()));
    QWidget *down = m_driver->control("Command5");
    down->setFocus();
    QTest::keyClick(down, Qt::Key_Space);
    QCOMPARE(m_driver->newItems().join(QString()), QStringLiteral("ABC"));
    QCOMPARE(m_driver->window().focusWidget(), m_driver->control("Picture1"));
}

void TestReorder::shortPressMovesOnce()
{
    fillNewList(*m_driver, letters(10));
    list()->selectRow(0);
    QWidget *down = m_driver->control("Command5");
    QTest::mousePress(down, Qt::LeftButton);
    QTest::qWait(300); // shorter than the two delay ticks
    QTest::mouseRelease(down, Qt::LeftButton);
    QCOMPARE(list()->selectedRow(), 1);
    QCOMPARE(reorder().holdTicks, 0);
    for (const char *name : {"Timer2", "Timer4"})
        QVERIFY(!m_driver->window().findChild<QTimer *>(QLatin1String(name))->isActive());
}

void TestReorder::holdRepeatsUntilTheEnd()
{
    QStringList items;
    for (int i = 0; i < 100; ++i)
        items << QStringLiteral("C%1").arg(i);
    fillNewList(*m_driver, items);
    list()->selectRow(0);
    auto timer = [this](const char *name) { return m_driver->window().findChild<QTimer *>(QLatin1String(name)); };

    QWidget *down = m_driver->control("Command5");
    QTest::mousePress(down, Qt::LeftButton);
    QCOMPARE(list()->selectedRow(), 1); // one step at once
    QVERIFY(timer("Timer4")->isActive());
    QVERIFY(!timer("Timer2")->isActive());
    QTRY_VERIFY_WITH_TIMEOUT(timer("Timer2")->isActive(), 3000); // the second delay tick starts repeating
    QVERIFY(!timer("Timer4")->isActive());
    QCOMPARE(reorder().holdTicks, 0);
    QTRY_COMPARE_WITH_TIMEOUT(list()->selectedRow(), 99, 10000);
    QTest::mouseRelease(down, Qt::LeftButton);
    QVERIFY(!timer("Timer2")->isActive());
    QVERIFY(!timer("Timer4")->isActive());
    QCOMPARE(m_driver->newItems().last(), QStringLiteral("C0"));
    QCOMPARE(m_driver->newItems().first(), QStringLiteral("C1"));
    QCOMPARE(reorder().moveDirection, 50);
}

void TestReorder::drag_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("order");
    QTest::addRow("B-onto-E") << 1 << 4 << "ACDEBF";
    QTest::addRow("E-onto-B") << 4 << 1 << "AEBCDF";
    QTest::addRow("B-onto-F") << 1 << 5 << "ACDEFB";
    QTest::addRow("onto-itself") << 2 << 2 << "ABCDEF";
}

void TestReorder::drag()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, order);
    fillNewList(*m_driver, letters(6));
    QWidget *viewport = list()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(list(), from));
    QCOMPARE(reorder().dragFrom, from);
    QCOMPARE(viewport->cursor().hotSpot(), QPoint(5, 0));
    QTest::mouseMove(viewport, centreOf(list(), (from + to) / 2));
    QTest::mouseMove(viewport, centreOf(list(), to));
    QCOMPARE(list()->selectedRow(), to); // the selection follows the pointer
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(list(), to));
    QCOMPARE(m_driver->newItems().join(QString()), order);
    QCOMPARE(list()->selectedRow(), to);
    QVERIFY(!viewport->testAttribute(Qt::WA_SetCursor));

    // The dropped item stays selected, so the move buttons act on it.
    const QString moved = m_driver->newItems().at(to);
    QTest::mouseClick(m_driver->control("Command4"), Qt::LeftButton);
    QCOMPARE(m_driver->newItems().indexOf(moved), qMax(0, to - 1));
}

void TestReorder::dropOnNothingLosesNothing()
{
    fillNewList(*m_driver, letters(3));
    QWidget *viewport = list()->viewport();
    QTest::mousePress(viewport, Qt::LeftButton, {}, centreOf(list(), 1));
    list()->clearSelection();
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(list(), 1));
    QCOMPARE(m_driver->newItems().join(QString()), QStringLiteral("ABC"));

    // Pressed below the last item: nothing is selected, nothing moves.
    const QPoint below(5, viewport->height() - 2);
    QTest::mousePress(viewport, Qt::LeftButton, {}, below);
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, centreOf(list(), 0));
    QCOMPARE(m_driver->newItems().join(QString()), QStringLiteral("ABC"));
}

QTEST_MAIN(TestReorder)
#include "tst_reorder.moc"
