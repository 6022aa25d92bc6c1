#include "channels/ChannelListModel.h"
#include "channels/SelectAllBox.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QLabel>
#include <QListView>
#include <QTest>

namespace {

QByteArray playlist(int channels)
{
    QByteArray bytes = "#EXTM3U\n";
    for (int i = 0; i < channels; ++i)
        bytes += "#EXTINF:-1,Channel " + QByteArray::number(i) + "\nhttp://x/" + QByteArray::number(i) + "\n";
    return bytes;
}

int tickedCount(const ChannelListModel &list)
{
    int n = 0;
    for (int i = 0; i < list.count(); ++i)
        n += list.isChecked(i);
    return n;
}

void releaseOn(QWidget *box, Qt::MouseButton button)
{
    QTest::mouseClick(box, button, {}, QPoint(box->width() / 2, box->height() / 2));
}

} // namespace

class TestSelectAll : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void mouseButtons_data();
    void mouseButtons();
    void handTicksAreReplaced();
    void keyboardChangesOnlyTheBox();
    void namesStayDecoded();
};

void TestSelectAll::mouseButtons_data()
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

void TestSelectAll::mouseButtons()
{
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, boxBefore);
    QFETCH(bool, boxAfter);
    WindowDriver driver;
    driver.window().show();
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlist(120)));
    driver.control<QLabel>("Label4")->setText(QStringLiteral("7")); // select-all leaves it alone
    driver.button("Check1")->setChecked(boxBefore);
    driver.sourceList().setChecked(3, !boxAfter); // a hand tick the rebuild replaces

    releaseOn(driver.control("Check1"), button);

    QCOMPARE(driver.button("Check1")->isChecked(), boxAfter);
    QCOMPARE(driver.sourceList().count(), 120);
    QCOMPARE(tickedCount(driver.sourceList()), boxAfter ? 120 : 0);
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("120"));
    QCOMPARE(driver.labelText("Label4"), QStringLiteral("7"));
    QCOMPARE(driver.button("Option1")->isEnabled(), !boxAfter);
    QCOMPARE(driver.button("Option2")->isEnabled(), !boxAfter);
    QCOMPARE(driver.control<QListView>("List1")->currentIndex().row(), 0);
    QVERIFY(!driver.control<QLabel>("Label6")->isVisible());
    QCOMPARE(driver.takeMessages(), QStringList());
}

void TestSelectAll::handTicksAreReplaced()
{
    WindowDriver driver;
    driver.window().show();
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlist(5)));
    driver.sourceList().setChecked(1, true);
    driver.sourceList().setChecked(4, true);
    releaseOn(driver.control("Check1"), Qt::LeftButton); // ticks all
    QCOMPARE(tickedCount(driver.sourceList()), 5);
    driver.sourceList().setChecked(2, false);
    releaseOn(driver.control("Check1"), Qt::LeftButton); // unticks all
    QCOMPARE(tickedCount(driver.sourceList()), 0);
    QVERIFY(driver.button("Option1")->isEnabled());
}

void TestSelectAll::keyboardChangesOnlyTheBox()
{
    WindowDriver driver;
    driver.window().show();
    QVERIFY(QTest::qWaitForWindowActive(&driver.window()));
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), playlist(5)));
    driver.sourceList().setChecked(2, true);
    QWidget *box = driver.control("Check1");
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QVERIFY(driver.button("Check1")->isChecked());
    QCOMPARE(tickedCount(driver.sourceList()), 1);
    QVERIFY(driver.sourceList().isChecked(2));
    QVERIFY(driver.button("Option1")->isEnabled());
    QVERIFY(driver.button("Option2")->isEnabled());
}

void TestSelectAll::namesStayDecoded()
{
    WindowDriver driver;
    driver.window().show();
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,Первый\nu\n#EXTINF:-1,Второй\nu\n"));
    const QStringList loaded = driver.sourceItems();
    releaseOn(driver.control("Check1"), Qt::LeftButton);
    QCOMPARE(driver.sourceItems(), loaded);
    QCOMPARE(loaded, (QStringList{QStringLiteral("Первый"), QStringLiteral("Второй")}));
}

QTEST_MAIN(TestSelectAll)
#include "tst_selectall.moc"
