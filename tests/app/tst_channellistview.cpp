#include "app/ChannelListView.h"
#include "channels/SourceListModel.h"

#include <QScrollBar>
#include <QStyle>
#include <QTest>

namespace {

// A source list of `count` names, in a view of the size the window gives it.
struct Fixture
{
    explicit Fixture(int count)
    {
        auto names = std::make_shared<NameList>();
        for (int i = 0; i < count; ++i)
            names->append(QByteArray("Channel ") + QByteArray::number(i));
        model.append({names, std::vector<qint32>(size_t(count), -1), NameList()}, false);
        view.setModel(&model);
        view.resize(219, 334);
        view.show();
    }

    QPoint tickBoxOf(int row)
    {
        QStyleOptionViewItem option;
        option.initFrom(&view);
        option.rect = view.visualRect(model.index(row));
        option.features |= QStyleOptionViewItem::HasCheckIndicator;
        return view.style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, &view).center();
    }

    SourceListModel model;
    ChannelListView view;
};

} // namespace

// The list places rows by arithmetic: what shows where, scrolling and
// clicks must agree with the model whatever the list's length.
class TestChannelListView : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void clickTicksTheRowUnderIt_data();
    void clickTicksTheRowUnderIt();
    void keys_data();
    void keys();
    void growingKeepsThePlace();
};

void TestChannelListView::clickTicksTheRowUnderIt_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("row");
    QTest::addRow("first") << 10 << 0;
    QTest::addRow("last-of-few") << 10 << 9;
    QTest::addRow("deep-in-a-million") << 1000000 << 987654;
    QTest::addRow("last-of-a-million") << 1000000 << 999999;
}

void TestChannelListView::clickTicksTheRowUnderIt()
{
    QFETCH(int, count);
    QFETCH(int, row);
    Fixture f(count);
    f.view.scrollTo(f.model.index(row));
    const QRect place = f.view.visualRect(f.model.index(row));
    QVERIFY(f.view.viewport()->rect().contains(place));
    QCOMPARE(f.view.indexAt(place.center()).row(), row);
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, {}, f.tickBoxOf(row));
    QVERIFY(f.model.isTicked(row));
    QCOMPARE(std::count(f.model.ticks().begin(), f.model.ticks().end(), 1), 1);
    // A click on the name selects the row and leaves the tick as it is.
    QTest::mouseClick(f.view.viewport(), Qt::LeftButton, {}, QPoint(place.right() - 4, place.center().y()));
    QVERIFY(f.model.isTicked(row));
    QCOMPARE(f.view.currentIndex().row(), row);
}

void TestChannelListView::keys_data()
{
    QTest::addColumn<QList<int>>("keys");
    QTest::addColumn<int>("current");
    QTest::addRow("down") << QList<int>{Qt::Key_Down, Qt::Key_Down} << 2;
    QTest::addRow("up-at-the-top") << QList<int>{Qt::Key_Up} << 0;
    QTest::addRow("end") << QList<int>{Qt::Key_End} << 99999;
    QTest::addRow("end-then-down") << QList<int>{Qt::Key_End, Qt::Key_Down} << 99999;
    QTest::addRow("page-down-twice") << QList<int>{Qt::Key_PageDown, Qt::Key_PageDown} << -2;
}

// -2 for current: two pages down, a page being the rows that show.
void TestChannelListView::keys()
{
    QFETCH(QList<int>, keys);
    QFETCH(int, current);
    Fixture f(100000);
    f.view.setCurrentIndex(f.model.index(0));
    for (int key : keys)
        QTest::keyClick(&f.view, Qt::Key(key));
    const int page = f.view.viewport()->height() / f.view.visualRect(f.model.index(0)).height();
    QCOMPARE(f.view.currentIndex().row(), current == -2 ? 2 * page : current);
    QVERIFY(f.view.viewport()->rect().contains(f.view.visualRect(f.view.currentIndex())));
    QTest::keyClick(&f.view, Qt::Key_Space);
    QVERIFY(f.model.isTicked(f.view.currentIndex().row()));
}

// Rows that come in while the list is scrolled leave what shows in place.
void TestChannelListView::growingKeepsThePlace()
{
    Fixture f(1000);
    f.view.verticalScrollBar()->setValue(500);
    const QModelIndex top = f.view.indexAt(QPoint(4, 4));
    auto more = std::make_shared<NameList>();
    for (int i = 0; i < 1000; ++i)
        more->append("More");
    f.model.append({more, std::vector<qint32>(1000, -1), NameList()}, true);
    QCOMPARE(f.view.indexAt(QPoint(4, 4)), top);
    QCOMPARE(f.view.verticalScrollBar()->maximum() - f.view.verticalScrollBar()->minimum()
                 + f.view.verticalScrollBar()->pageStep(),
             2000);
}

QTEST_MAIN(TestChannelListView)
#include "tst_channellistview.moc"
