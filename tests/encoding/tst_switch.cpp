#include "app/session/Messages.h"
#include "common/InMemory.h"
#include "common/SessionDriver.h"
#include "common/SmallDisk.h"
#include "common/TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using testsupport::hex;
using Kind = WorkingFiles::Kind;

Q_DECLARE_METATYPE(InputMode)

// The encoding switch as the session runs it: the playlist read again in the
// other mode.
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
    void sameModeAgainKeepsTheNewList();
    void firstAndLastNamesEqual();
    void normalisedCopyRoundTrips();
    void normalisedCopyAsAFreshLoadMakesIt_data();
    void normalisedCopyAsAFreshLoadMakesIt();
    void plantedLinkIsReplaced();
    void failedSwitchLeavesNothingLoaded();
};

// The load picks the mode from the bytes; the user can still switch.
void TestSwitch::switchBackAndForth_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<InputMode>("loadedIn");
    QTest::addColumn<QStringList>("utf8Items");
    QTest::addColumn<QStringList>("ansiItems");

    QTest::addRow("utf8-file") << QByteArray("#EXTINF:-1,При\nu\n#EXTINF:-1,  Ё HD\nu\n") << InputMode::Utf8
                               << QStringList{QStringLiteral("При"), QStringLiteral("  Ё HD")}
                               << QStringList{QStringLiteral("РџСЂРё"), QStringLiteral("  РЃ HD")};
    QTest::addRow("windows-1251-file") << "#EXTINF:-1," + hex("cf f0 e8") + "\nu\n" << InputMode::Ansi
                                       << QStringList{QString(3, QChar(0xFFFD))} << QStringList{QStringLiteral("При")};
    QTest::addRow("byte-0x98") << "#EXTINF:-1," + hex("d0 98") + "\nu\n" << InputMode::Utf8
                               << QStringList{QStringLiteral("И")} << QStringList{QString::fromUtf16(u"Р\u0098")};
}

void TestSwitch::switchBackAndForth()
{
    QFETCH(QByteArray, input);
    QFETCH(InputMode, loadedIn);
    QFETCH(QStringList, utf8Items);
    QFETCH(QStringList, ansiItems);
    const InputMode other = loadedIn == InputMode::Utf8 ? InputMode::Ansi : InputMode::Utf8;
    const auto itemsIn = [&](InputMode mode) { return mode == InputMode::Utf8 ? utf8Items : ansiItems; };
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), input));
    QCOMPARE(s.inputMode(), loadedIn);
    QCOMPARE(d.sourceItems(), itemsIn(loadedIn));
    QSignalSpy refilled(&s, &PlaylistSession::sourceListRefilled);
    d.setInputMode(other);
    QCOMPARE(d.sourceItems(), itemsIn(other));
    QCOMPARE(s.channelCount(), itemsIn(other).size());
    QCOMPARE(refilled.size(), 1);
    d.setInputMode(loadedIn);
    QCOMPARE(d.sourceItems(), itemsIn(loadedIn));
    QCOMPARE(refilled.size(), 2);
    QCOMPARE(d.takeMessages(), QStringList());
    QVERIFY(!s.isBusy());
}

void TestSwitch::beforeAnyLoad()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QCOMPARE(s.inputMode(), InputMode::Ansi);
    QCOMPARE(s.channelCount(), 0);
    QVERIFY(!s.isBusy());
    QVERIFY(d.sourceItems().isEmpty());
    // The chosen mode stays for the next load of bytes that do not tell.
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    QCOMPARE(s.inputMode(), InputMode::Ansi);
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestSwitch::afterACancelledLoad()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    d.tick({0});
    d.create();
    d.cancelLoad();
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QVERIFY(d.sourceItems().isEmpty());
    QVERIFY(d.newItems().isEmpty());
}

void TestSwitch::playlistWithoutChannels()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTM3U\nhttp://x\n"));
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QCOMPARE(d.session().channelCount(), 0);
}

// The new list is emptied, its counter and the save stay.
void TestSwitch::listsEmptiedCountersKept()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n"));
    d.tick({0});
    d.create();
    QCOMPARE(d.newItems(), QStringList{"A"});
    d.setInputMode(InputMode::Ansi);
    QVERIFY(d.newItems().isEmpty());
    QCOMPARE(s.newCount(), 1);
    QVERIFY(!s.sourceList().isTicked(0));
    QVERIFY(s.canSave());
}

// A box ticked without a select-all (by the keyboard) ticks the relisted channels.
void TestSwitch::ticksFollowTheBox()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n#EXTINF:-1,B\n"));
    s.setSelectAllTicked(true);
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(s.sourceList().count(), 2);
    QVERIFY(s.sourceList().isTicked(0));
    QVERIFY(s.sourceList().isTicked(1));
}

void TestSwitch::sameModeAgainKeepsTheNewList()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    d.tick({0});
    d.create();
    QSignalSpy finished(&s, &PlaylistSession::finished);
    d.setInputMode(InputMode::Utf8); // already set
    QVERIFY(finished.isEmpty());
    QCOMPARE(d.newItems(), QStringList{"A"});
    QVERIFY(s.sourceList().isTicked(0));
}

void TestSwitch::firstAndLastNamesEqual()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,Same\nu\n#EXTINF:-1,B\nu\n#EXTINF:-1,Same\nu\n"));
    QCOMPARE(d.sourceItems(), (QStringList{"Same", "B", "Same"}));
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.sourceItems(), (QStringList{QStringLiteral("Same\x01\x01"), "B", "Same"}));
}

void TestSwitch::normalisedCopyRoundTrips()
{
    const QString path = testsupport::playlistPath(QStringLiteral("iptv-org_ru.m3u"));
    KELVARO_REQUIRE_FILE(path);
    SessionDriver d;
    d.load(path);
    const QByteArray first = d.workingFile(Kind::Normalised);
    const QStringList items = d.sourceItems();
    QVERIFY(!items.isEmpty());
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.session().sourceList().count(), items.size());
    d.setInputMode(InputMode::Utf8);
    QCOMPARE(d.workingFile(Kind::Normalised), first);
    QCOMPARE(d.sourceItems(), items);
    QCOMPARE(d.session().channelCount(), items.size());
}

void TestSwitch::normalisedCopyAsAFreshLoadMakesIt_data()
{
    QTest::addColumn<InputMode>("to");
    // Windows-1251 bytes are three bytes each as UTF-8 replacement characters.
    QTest::addRow("shorter") << InputMode::Ansi;
    QTest::addRow("longer") << InputMode::Utf8;
}

// The copy is written over in place: nothing of the old one may outlive it.
void TestSwitch::normalisedCopyAsAFreshLoadMakesIt()
{
    QFETCH(InputMode, to);
    QByteArray input = "#EXTM3U\n";
    for (int i = 0; i < 2000; ++i)
        input += "#EXTINF:-1," + hex("cf f0 e8") + QByteArray::number(i) + "\nhttp://u/" + QByteArray::number(i) + "\n";
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), input)); // read as Windows-1251
    if (to == InputMode::Ansi)
        d.setInputMode(InputMode::Utf8);
    const QByteArray before = d.workingFile(Kind::Normalised);
    d.setInputMode(to);
    QCOMPARE(d.session().inputMode(), to);
    Normaliser normaliser;
    const QByteArray fresh = inMemory::normalisedCopy(input, to, normaliser, [](const passes::ListedChannel &) {});
    QVERIFY(before != fresh);
    QCOMPARE(d.workingFile(Kind::Normalised), fresh);
}

void TestSwitch::plantedLinkIsReplaced()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links");
#else
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n"));
    const QString copy = d.workingFilePath(Kind::Normalised);
    const QString victim = d.writeFile(QStringLiteral("victim.txt"), "precious");
    QVERIFY(QFile::remove(copy));
    QVERIFY(QFile::link(victim, copy));
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.takeMessages(), QStringList());
    QCOMPARE(d.readFile(QStringLiteral("victim.txt")), QByteArray("precious"));
    QVERIFY(!QFileInfo(copy).isSymLink());
    QCOMPARE(d.sourceItems(), (QStringList{"A", "B"}));
#endif
}

// A copy that cannot be made whole (the disk fills): the user is told which
// file and why, and sees what a failed load leaves; «Создать» and
// «Сохранить» then ask for a playlist, as they do after a failed load.
void TestSwitch::failedSwitchLeavesNothingLoaded()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    QByteArray playlist;
    for (int i = 0; i < 2000; ++i)
        playlist += "#EXTINF:-1," + hex("cf f0 e8") + QByteArray::number(i) + "\nhttp://example.invalid/" + QByteArray::number(i) + "\n";
    d.setInputMode(InputMode::Ansi);
    (void)d.takeMessages();
    d.load(d.writeFile(QStringLiteral("list.m3u"), playlist));
    d.tick({0});
    d.create();
    const qint64 copySize = d.workingFile(WorkingFiles::Kind::Normalised).size();
    {
        // Each Windows-1251 letter read as UTF-8 becomes three bytes.
        const FileSizeLimit limit(copySize + 1000);
        if (!limit.active())
            QSKIP("needs a file size limit");
        d.setInputMode(InputMode::Utf8);
    }
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages[0].contains(QDir::toNativeSeparators(d.workingFilePath(WorkingFiles::Kind::Normalised))),
             qPrintable(messages[0]));
    QVERIFY(d.sourceItems().isEmpty());
    QCOMPARE(s.channelCount(), 0);
    QVERIFY(!s.canSelectAll());
    d.create();
    d.save();
    QCOMPARE(d.takeMessages(), (QStringList{messages::loadPlaylistFirst(), messages::loadPlaylistFirst()}));
}

QTEST_GUILESS_MAIN(TestSwitch)
#include "tst_switch.moc"
