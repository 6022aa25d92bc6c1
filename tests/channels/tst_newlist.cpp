#include "channels/ChannelListModel.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

class TestNewList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ticksBecomeTheNewList_data();
    void ticksBecomeTheNewList();
    void countsUpAndEnablesButtons();
    void pressingAgainRebuilds();
    void missingRawCopy();
    void afterAnEncodingSwitch();
};

void TestNewList::ticksBecomeTheNewList_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("ticked");
    QTest::addColumn<QStringList>("newList");

    const QByteArray six = "#EXTM3U\n#EXTINF:-1,A\nu\n#EXTINF:-1,B\n#EXTGRP:g\nu\n#EXTINF:-1,C\nu\n"
                           "#EXTINF:-1,D\n#EXTINF:-1,E\nu\n#EXTINF:-1,F\nu\n";
    QTest::addRow("none") << six << QStringList{} << QStringList{};
    QTest::addRow("all") << six << QStringList{"A", "B", "C", "D", "E", "F"} << QStringList{"A", "B", "C", "D", "E", "F"};
    QTest::addRow("0-2-5") << six << QStringList{"F", "A", "C"} << QStringList{"A", "C", "F"};
    QTest::addRow("repeated-with-marker") << QByteArray("#EXTINF:-1,S\nu\n#EXTINF:-1,S\nu\n")
                                          << QStringList{QStringLiteral("S\x01")} << QStringList{QStringLiteral("S\x01")};
    QTest::addRow("tag-in-url") << QByteArray("#EXTINF:-1,A\nhttp://x/EXTINF,y\n#EXTINF:-1,B\nu\n")
                                << QStringList{"B"} << QStringList{"B"};
    // Listed as A, B in UTF-8 mode and as A, Z, B in ANSI mode.
    QTest::addRow("zero-byte-before-tag") << QByteArray("#EXTINF:-1,A\nx\0#EXTINF:-1,Z\n#EXTINF:-1,B\n", 40)
                                          << QStringList{"B"} << QStringList{"B"};
}

void TestNewList::ticksBecomeTheNewList()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, ticked);
    QFETCH(QStringList, newList);
    for (const char *option : {"Option2", "Option1"}) {
        WindowDriver driver;
        driver.selectOption(option);
        (void)driver.takeMessages();
        driver.load(driver.writeFile(QStringLiteral("a.m3u"), input));
        for (const QString &name : ticked) {
            QVERIFY(driver.sourceItems().contains(name));
            driver.sourceList().setChecked(int(driver.sourceItems().indexOf(name)), true);
        }
        driver.clickButton("Command3");
        QCOMPARE(driver.newItems(), newList);
        QCOMPARE(driver.labelText("Label4"), QString::number(newList.size()));
        QCOMPARE(driver.takeMessages(), QStringList());
    }
}

void TestNewList::countsUpAndEnablesButtons()
{
    WindowDriver driver;
    driver.window().show();
    QByteArray input;
    for (int i = 0; i < 20000; ++i)
        input += "#EXTINF:-1,C" + QByteArray::number(i) + "\nhttp://x\n";
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), input));
    for (int i = 0; i < 20000; i += 2)
        driver.sourceList().setChecked(i, true);
    QVERIFY(!driver.button("Command2")->isEnabled());

    QSignalSpy shown(&driver.newList(), &QAbstractItemModel::rowsInserted);
    driver.clickButton("Command3");
    QCOMPARE(driver.newList().count(), 10000);
    QCOMPARE(driver.labelText("Label4"), QStringLiteral("10000"));
    QVERIFY(!shown.isEmpty());
    for (const char *name : {"Command2", "Command4", "Command5"})
        QVERIFY(driver.button(name)->isEnabled());
    QVERIFY(!driver.control<QListView>("List2")->selectionModel()->hasSelection());
    QVERIFY(!driver.control<QLabel>("Label6")->isVisible());
    QCOMPARE(driver.window().focusWidget(), driver.control("Picture1"));
}

void TestNewList::pressingAgainRebuilds()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n#EXTINF:-1,B\n#EXTINF:-1,C\n"));
    for (int i = 0; i < 3; ++i)
        driver.sourceList().setChecked(i, true);
    driver.clickButton("Command3");
    driver.newList().swap(0, 2);
    driver.clickButton("Command3");
    QCOMPARE(driver.newItems(), (QStringList{"A", "B", "C"}));
}

void TestNewList::missingRawCopy()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n#EXTINF:-1,B\n"));
    driver.sourceList().setChecked(1, true);
    driver.clickButton("Command3");
    driver.load(QString()); // a cancelled load deletes the working files
    driver.sourceList().setChecked(0, true);
    driver.clickButton("Command3");
    QCOMPARE(driver.takeMessages(), QStringList{QStringLiteral("Сначала загрузите плейлист в программу!")});
    QCOMPARE(driver.newItems(), QStringList{"B"});
    QCOMPARE(driver.labelText("Label4"), QStringLiteral("1"));
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
}

void TestNewList::afterAnEncodingSwitch()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,При\nu\n#EXTINF:-1,Б\nu\n"));
    driver.selectOption("Option1");
    driver.sourceList().setChecked(0, true);
    driver.clickButton("Command3");
    QCOMPARE(driver.newItems(), QStringList{QStringLiteral("РџСЂРё")});
}

QTEST_MAIN(TestNewList)
#include "tst_newlist.moc"
