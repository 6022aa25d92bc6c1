#include "channels/ChannelListModel.h"
#include "common/TestSupport.h"
#include "common/WindowDriver.h"

#include <QAbstractButton>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QTest>

using testsupport::hex;

namespace {

const QString loadFirst = QStringLiteral("Сначала загрузите плейлист в программу!");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestSwitch : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void switchBackAndForth_data();
    void switchBackAndForth();
    void beforeAnyLoad();
    void afterACancelledLoad();
    void playlistWithoutChannels();
    void listsEmptiedCountersKept();
    void ticksFollowTheBox();
    void sameOptionAgainKeepsTheNewList();
    void firstAndLastNamesEqual();
    void normalisedCopyRoundTrips();
};

void TestSwitch::switchBackAndForth_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QStringList>("utf8Items");
    QTest::addColumn<QStringList>("ansiItems");

    QTest::addRow("utf8-file") << QByteArray("#EXTINF:-1,При\nu\n#EXTINF:-1,  Ё HD\nu\n")
                               << QStringList{QStringLiteral("При"), QStringLiteral("  Ё HD")}
                               << QStringList{QStringLiteral("РџСЂРё"), QStringLiteral("  РЃ HD")};
    QTest::addRow("windows-1251-file") << "#EXTINF:-1," + hex("cf f0 e8") + "\nu\n"
                                       << QStringList{QString(3, QChar(0xFFFD))} << QStringList{QStringLiteral("При")};
    QTest::addRow("byte-0x98") << "#EXTINF:-1," + hex("d0 98") + "\nu\n" << QStringList{QStringLiteral("И")}
                               << QStringList{QString::fromUtf16(u"Р\u0098")};
}

void TestSwitch::switchBackAndForth()
{
    QFETCH(QByteArray, input);
    QFETCH(QStringList, utf8Items);
    QFETCH(QStringList, ansiItems);
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), input));
    QCOMPARE(driver.sourceItems(), utf8Items);
    driver.selectOption("Option1");
    QCOMPARE(driver.sourceItems(), ansiItems);
    QCOMPARE(driver.labelText("Label2"), QString::number(ansiItems.size()));
    QCOMPARE(driver.control<QListView>("List1")->currentIndex().row(), 0);
    driver.selectOption("Option2");
    QCOMPARE(driver.sourceItems(), utf8Items);
    QCOMPARE(driver.takeMessages(), QStringList());
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
}

void TestSwitch::beforeAnyLoad()
{
    WindowDriver driver;
    driver.selectOption("Option1");
    QCOMPARE(driver.takeMessages(), QStringList{loadFirst});
    QVERIFY(driver.button("Option1")->isChecked());
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("0"));
    QVERIFY(!driver.control<QLabel>("Label6")->isVisibleTo(&driver.window()));
    QVERIFY(driver.sourceItems().isEmpty());
    // The chosen mode stays for the next load.
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,При\n"));
    QCOMPARE(driver.sourceItems(), QStringList{QStringLiteral("РџСЂРё")});
}

void TestSwitch::afterACancelledLoad()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    driver.load(QString());
    driver.selectOption("Option1");
    QCOMPARE(driver.takeMessages(), QStringList{loadFirst});
    QVERIFY(driver.sourceItems().isEmpty());
    QVERIFY(driver.newItems().isEmpty());
}

void TestSwitch::playlistWithoutChannels()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTM3U\nhttp://x\n"));
    driver.selectOption("Option1");
    QCOMPARE(driver.takeMessages(), QStringList{loadFirst});
    QCOMPARE(driver.labelText("Label2"), QStringLiteral("0"));
}

void TestSwitch::listsEmptiedCountersKept()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n"));
    driver.sourceList().setChecked(0, true);
    driver.clickButton("Command3");
    QCOMPARE(driver.newItems(), QStringList{"A"});
    driver.selectOption("Option1");
    QVERIFY(driver.newItems().isEmpty());
    QCOMPARE(driver.labelText("Label4"), QStringLiteral("1"));
    QVERIFY(!driver.sourceList().isChecked(0));
    QVERIFY(driver.button("Command2")->isEnabled());
}

void TestSwitch::ticksFollowTheBox()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n#EXTINF:-1,B\n"));
    driver.button("Check1")->setChecked(true); // as a keyboard toggle leaves it
    driver.selectOption("Option1");
    QVERIFY(driver.sourceList().isChecked(0));
    QVERIFY(driver.sourceList().isChecked(1));
}

void TestSwitch::sameOptionAgainKeepsTheNewList()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    driver.sourceList().setChecked(0, true);
    driver.clickButton("Command3");
    driver.selectOption("Option2"); // already selected
    QCOMPARE(driver.newItems(), QStringList{"A"});
    QVERIFY(driver.sourceList().isChecked(0));
}

void TestSwitch::firstAndLastNamesEqual()
{
    WindowDriver driver;
    driver.load(driver.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,Same\nu\n#EXTINF:-1,B\nu\n#EXTINF:-1,Same\nu\n"));
    QCOMPARE(driver.sourceItems(), (QStringList{"Same", "B", "Same"}));
    driver.selectOption("Option1");
    QCOMPARE(driver.sourceItems(), (QStringList{QStringLiteral("Same\x01\x01"), "B", "Same"}));
}

void TestSwitch::normalisedCopyRoundTrips()
{
    WindowDriver driver;
    driver.load(testsupport::playlistPath(QStringLiteral("iptv-org_ru.m3u")));
    const QByteArray first = readAll(driver.normalisedCopyPath());
    const QStringList items = driver.sourceItems();
    driver.selectOption("Option1");
    QCOMPARE(driver.sourceList().count(), items.size());
    driver.selectOption("Option2");
    QCOMPARE(readAll(driver.normalisedCopyPath()), first);
    QCOMPARE(driver.sourceItems(), items);
    QCOMPARE(driver.labelText("Label2"), QString::number(items.size()));
}

QTEST_MAIN(TestSwitch)
#include "tst_switch.moc"
