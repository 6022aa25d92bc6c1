#include "common/SessionDriver.h"

#include <QTest>

using Direction = NewListModel::Direction;

namespace {

// A session whose new list holds A, B, C, … (n items).
void fillNewList(SessionDriver &d, int n)
{
    QByteArray input;
    for (int i = 0; i < n; ++i)
        input += "#EXTINF:-1," + QByteArray(1, char('A' + i)) + "\nhttp://x\n";
    d.load(d.writeFile(QStringLiteral("a.m3u"), input));
    for (int i = 0; i < n; ++i)
        d.session().sourceList().setTicked(i, true);
    d.create();
}

} // namespace

// The new list's moves as the session makes them: a step up or down, and a
// drop of one item on another's place.
class TestReorder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void steps_data();
    void steps();
    void drops_data();
    void drops();
};

void TestReorder::steps_data()
{
    QTest::addColumn<Direction>("direction");
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("order");
    QTest::addColumn<int>("to");
    QTest::addRow("up-from-first") << Direction::Up << 0 << "ABCDEF" << 0;
    QTest::addRow("down-from-first") << Direction::Down << 0 << "BACDEF" << 1;
    QTest::addRow("down-from-last") << Direction::Down << 5 << "ABCDEF" << 5;
    QTest::addRow("up-from-last") << Direction::Up << 5 << "ABCDFE" << 4;
    QTest::addRow("up-from-middle") << Direction::Up << 2 << "ACBDEF" << 1;
    QTest::addRow("down-from-middle") << Direction::Down << 2 << "ABDCEF" << 3;
    QTest::addRow("nothing-selected") << Direction::Down << -1 << "ABCDEF" << -1;
}

void TestReorder::steps()
{
    QFETCH(Direction, direction);
    QFETCH(int, from);
    QFETCH(QString, order);
    QFETCH(int, to);
    SessionDriver d;
    fillNewList(d, 6);
    QCOMPARE(d.session().moveChannel(from, direction), to);
    QCOMPARE(d.newItems().join(QString()), order);
    QCOMPARE(d.session().newCount(), 6);
}

void TestReorder::drops_data()
{
    QTest::addColumn<int>("from");
    QTest::addColumn<int>("to");
    QTest::addColumn<QString>("order");
    QTest::addRow("B-onto-E") << 1 << 4 << "ACDEBF";
    QTest::addRow("E-onto-B") << 4 << 1 << "AEBCDF";
    QTest::addRow("B-onto-F") << 1 << 5 << "ACDEFB";
    QTest::addRow("onto-itself") << 2 << 2 << "ABCDEF";
    QTest::addRow("from-nothing") << -1 << 2 << "ABCDEF";
    QTest::addRow("onto-nothing") << 2 << -1 << "ABCDEF";
    QTest::addRow("past-the-end") << 1 << 6 << "ABCDEF";
}

void TestReorder::drops()
{
    QFETCH(int, from);
    QFETCH(int, to);
    QFETCH(QString, order);
    SessionDriver d;
    fillNewList(d, 6);
    d.session().dropChannel(from, to);
    QCOMPARE(d.newItems().join(QString()), order);
}

QTEST_GUILESS_MAIN(TestReorder)
#include "tst_reorder.moc"
