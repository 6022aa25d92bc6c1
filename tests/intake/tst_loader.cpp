#include "common/SessionDriver.h"
#include "common/SmallDisk.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "base/Progress.h"
#include "intake/Normaliser.h"
#include "intake/PlaylistIntake.h"
#include "reference/ReferenceWriter.h"

#include <QDir>
#include <QDateTime>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using testsupport::hex;
using Kind = WorkingFiles::Kind;
using Option = SaveFormat::Option;

Q_DECLARE_METATYPE(InputMode)

namespace {

QString units(std::initializer_list<char16_t> list)
{
    QString s;
    for (char16_t u : list)
        s.append(QChar(u));
    return s;
}

} // namespace

// The load as the session runs it: what is listed, what is counted, what the
// working files hold and what the user is told.
class TestLoader : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void inputs_data();
    void inputs();
    void rawCopyKeepsEveryByte_data();
    void rawCopyKeepsEveryByte();
    void saveFormat_data();
    void saveFormat();
    void unclassifiedNameKeepsFormat();
    void secondLoadRepeatsLastName();
    void cancelledLoad();
    void unusableInput_data();
    void unusableInput();
    void unreadableInput();
    void playlistChangedWhileRead_data();
    void playlistChangedWhileRead();
    void noRoomForWorkingFiles_data();
    void noRoomForWorkingFiles();
    void plantedLinkIsNotFollowed();
    void bigInputs();
    void realPlaylists_data();
    void realPlaylists();
};

void TestLoader::inputs_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("ansi"); // the mode set before the load
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<InputMode>("mode"); // the mode the load chose

    const auto utf8 = InputMode::Utf8;
    const auto ansi = InputMode::Ansi;
    QTest::addRow("empty") << QByteArray() << false << QStringList() << utf8;
    QTest::addRow("no-header") << QByteArray("#EXTINF:-1,A\nhttp://a\n") << false << QStringList{"A"} << utf8;
    QTest::addRow("lf") << QByteArray("#EXTM3U\n#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n") << false << QStringList{"A", "B"}
                        << utf8;
    QTest::addRow("crlf") << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nu\r\n#EXTINF:-1,B\r\nu\r\n") << false
                          << QStringList{"A", "B"} << utf8;
    QTest::addRow("mixed") << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\nu\r\n#EXTINF:-1,B\nu") << false
                           << QStringList{"A", "B"} << utf8;
    QTest::addRow("lone-cr") << QByteArray("#EXTINF:-1,A\rB\nu\r") << false << QStringList{"AB"} << utf8;
    QTest::addRow("last-line-without-lf") << QByteArray("#EXTM3U\n#EXTINF:-1,A") << false << QStringList{"A"} << utf8;
    QTest::addRow("byte-order-mark") << hex("ef bb bf") + "#EXTM3U\n#EXTINF:-1,A\n" << true << QStringList{"A"} << utf8;
    QTest::addRow("headerless-byte-order-mark") << hex("ef bb bf") + "#EXTINF:-1 A\n" << false
                                                << QStringList{"#EXTINF:-1 A"} << utf8;
    QTest::addRow("nul-in-name-utf8") << QByteArray("#EXTINF:-1,A\0B\n", 15) << false << QStringList{"A"} << utf8;
    QTest::addRow("nul-in-name-ansi") << QByteArray("#EXTINF:-1,A\0B\n", 15) << true << QStringList{units({'A', 0, 'B'})}
                                      << ansi;
    QTest::addRow("nul-before-tag-utf8") << QByteArray("x\0#EXTINF:-1,A\n", 15) << false << QStringList() << utf8;
    QTest::addRow("nul-before-tag-ansi") << QByteArray("x\0#EXTINF:-1,A\n", 15) << true << QStringList{"A"} << ansi;
    // Первый канал and one bad byte: a damaged UTF-8 list stays UTF-8.
    QTest::addRow("utf8-with-one-broken-sequence") << QByteArray("#EXTINF:-1,Первый канал\xFF\n") << true
                                                   << QStringList{QStringLiteral("Первый канал\uFFFD")} << utf8;
    QTest::addRow("invalid-utf8-alone") << QByteArray("#EXTINF:-1,A\xFF\xC0 B\n") << false
                                        << QStringList{QStringLiteral("AяА B")} << ansi;
    QTest::addRow("windows-1251-found") << "#EXTINF:-1," + hex("cf f0 e8") + "\n" << false
                                        << QStringList{QStringLiteral("При")} << ansi;
    QTest::addRow("windows-1251-in-ansi-mode") << "#EXTINF:-1," + hex("cf f0 e8") + "\n" << true
                                               << QStringList{QStringLiteral("При")} << ansi;
    QTest::addRow("utf8-found") << QByteArray("#EXTINF:-1,При\n") << true << QStringList{QStringLiteral("При")} << utf8;
    QTest::addRow("ascii-keeps-ansi") << QByteArray("#EXTINF:-1,A\nu\n") << true << QStringList{"A"} << ansi;
    QTest::addRow("lowercase-tag") << QByteArray("#extinf:-1,A\nu\n") << false << QStringList() << utf8;
    QTest::addRow("brackets-and-hash-as-written") << QByteArray("#EXTINF:-1,News [HD] #1\nhttp://x/#y\n") << false
                                                  << QStringList{"News [HD] #1"} << utf8;
    QTest::addRow("hash-inside-tag-is-no-entry") << QByteArray("#EXT#INF:-1,A\nu\n") << false << QStringList() << utf8;
    QTest::addRow("tag-in-url") << QByteArray("#EXTINF:-1,A\nhttp://x/EXTINF,y\n") << false << QStringList{"A", "y"}
                                << utf8;
    QTest::addRow("spaces-around") << QByteArray("  #EXTINF:-1,  A  \n") << false << QStringList{"  A"} << utf8;
    QStringList eight;
    QByteArray eightInput;
    for (int i = 0; i < 8; ++i) {
        eightInput += "#EXTINF:-1,S\nhttp://s\n";
        eight << "S" + QString(qMin(i, 6), QChar(1));
    }
    QTest::addRow("eight-equal-names") << eightInput << false << eight << utf8;
    QByteArray binary = hex("89 50 4e 47 0d 0a 1a 0a 00 00 00 0d 49 48 44 52");
    for (int i = 0; i < 4096; ++i)
        binary.append(char((i * 7919) % 256));
    QTest::addRow("binary") << binary << false << QStringList() << ansi;
}

void TestLoader::inputs()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, ansi);
    QFETCH(QStringList, items);
    QFETCH(InputMode, mode);
    SessionDriver d;
    PlaylistSession &s = d.session();
    if (ansi)
        d.setInputMode(InputMode::Ansi);
    (void)d.takeMessages(); // the switch before any load tells to load first
    QSignalSpy counted(&s, &PlaylistSession::channelCountChanged);
    d.load(d.writeFile(QStringLiteral("list.m3u"), input));

    QCOMPARE(d.sourceItems(), items);
    QCOMPARE(s.channelCount(), items.size());
    QVERIFY(!counted.isEmpty());
    QCOMPARE(counted.last().first().toInt(), items.size());
    QVERIFY(s.canCreate());
    QVERIFY(s.canSelectAll());
    QVERIFY(!s.isSelectAllTicked());
    QVERIFY(s.canSwitchEncoding());
    QVERIFY(s.canChooseSaveFormat());
    QVERIFY(!s.isBusy());
    QCOMPARE(s.inputMode(), mode);
    QVERIFY(d.newItems().isEmpty());
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestLoader::rawCopyKeepsEveryByte_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("raw");
    QTest::addRow("lf-and-crlf-alike") << QByteArray("#EXTM3U\n#EXTINF:-1,A\r\nu") << QByteArray("#EXTM3U\r\n#EXTINF:-1,A\r\nu\r\n");
    QTest::addRow("invalid-utf8-kept") << hex("23 45 58 54 49 4e 46 2c ff c0 0a") << hex("23 45 58 54 49 4e 46 2c ff c0 0d 0a");
    QTest::addRow("hash-and-brackets-kept") << QByteArray("#EXTINF:-1,A [HD]\nhttp://a/#x\n")
                                            << QByteArray("#EXTINF:-1,A [HD]\r\nhttp://a/#x\r\n");
    QTest::addRow("nul-kept") << QByteArray("a\0b\n", 4) << QByteArray("a\0b\r\n", 5);
}

void TestLoader::rawCopyKeepsEveryByte()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, raw);
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u"), input));
    QCOMPARE(d.workingFile(Kind::Raw), raw);
}

// The save format preselected from the last four characters of the name.
void TestLoader::saveFormat_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("typedAfter"); // what the path is given with after the name
    QTest::addColumn<std::optional<Option>>("format");

    QTest::addRow("m3u") << "list.m3u" << "" << std::optional(Option::M3u);
    QTest::addRow("m3u8") << "list.m3u8" << "" << std::optional(Option::M3u8);
    QTest::addRow("txt") << "list.txt" << "" << std::optional(Option::M3u);
    QTest::addRow("no-dot-at-the-end") << "playlist" << "" << std::optional(Option::M3u8);
    QTest::addRow("upper-case") << "LIST.M3U8" << "" << std::optional(Option::M3u8);
    QTest::addRow("dot-among-last-three") << "list.ab" << "" << std::optional<Option>();
    QTest::addRow("trailing-spaces-trimmed") << "list.m3u" << "   " << std::optional(Option::M3u);
}

void TestLoader::saveFormat()
{
    QFETCH(QString, name);
    QFETCH(QString, typedAfter);
    QFETCH(std::optional<Option>, format);
    SessionDriver d;
    d.load(d.writeFile(name, "#EXTINF:-1,A\n") + typedAfter);
    QCOMPARE(d.session().saveFormat(), format);
    QVERIFY(d.session().canChooseSaveFormat());
    QCOMPARE(d.sourceItems(), QStringList{"A"});
}

void TestLoader::unclassifiedNameKeepsFormat()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u8"), "#EXTINF:-1,A\n"));
    d.load(d.writeFile(QStringLiteral("b.ab"), "#EXTINF:-1,B\n"));
    QCOMPARE(d.session().saveFormat(), std::optional(Option::M3u8));
    QCOMPARE(d.sourceItems(), QStringList{"B"});
}

void TestLoader::secondLoadRepeatsLastName()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,X\nu\n#EXTINF:-1,Last\nu\n"));
    d.load(d.writeFile(QStringLiteral("b.m3u"), "#EXTINF:-1,Last\nu\n#EXTINF:-1,Y\nu\n"));
    QCOMPARE(d.sourceItems(), (QStringList{QStringLiteral("Last\x01\x01"), "Y"}));
}

// The dialog was cancelled: the working files are gone, the box is unticked
// and disabled, the listed channels stay.
void TestLoader::cancelledLoad()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\nu\n#EXTINF:-1,B\nu\n"));
    s.setSelectAllTicked(true);
    d.cancelLoad();
    QCOMPARE(d.sourceItems(), (QStringList{"A", "B"}));
    QCOMPARE(s.channelCount(), 2);
    QVERIFY(!s.canSelectAll());
    QVERIFY(!s.isSelectAllTicked());
    QVERIFY(s.canCreate());
    QVERIFY(!s.workingFiles().exists(Kind::Raw));
    QVERIFY(!s.workingFiles().exists(Kind::Normalised));
    QVERIFY(!s.isBusy());
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestLoader::unusableInput_data()
{
    QTest::addColumn<QString>("what");
    QTest::addRow("directory") << "dir";
    QTest::addRow("vanished-file") << "missing.m3u";
}

void TestLoader::unusableInput()
{
    QFETCH(QString, what);
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("ok.m3u"), "#EXTINF:-1,A\n"));
    const QString path = d.programFolder() + u'/' + what;
    if (what == QLatin1String("dir"))
        QVERIFY(QDir().mkdir(path));
    d.load(path);
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QDir::toNativeSeparators(path)), qPrintable(messages.first()));
    QVERIFY(d.sourceItems().isEmpty());
    QCOMPARE(s.channelCount(), 0);
    QVERIFY(!s.canSelectAll());
    QVERIFY(!s.workingFiles().exists(Kind::Raw));
    QVERIFY(!s.workingFiles().exists(Kind::Normalised));
    QVERIFY(!s.isBusy());
}

void TestLoader::unreadableInput()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits are a Unix matter");
#else
    SessionDriver d;
    Unprivileged::openUp(d.programFolder());
    Unprivileged::openUp(d.tempFolder());
    const QString path = d.writeFile(QStringLiteral("locked.m3u"), "#EXTINF:-1,A\n");
    QVERIFY(QFile::setPermissions(path, {}));
    Unprivileged nobody;
    QVERIFY(nobody.active());
    d.load(path);
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.first().contains(QDir::toNativeSeparators(path)), qPrintable(messages.first()));
    QVERIFY(d.sourceItems().isEmpty());
    QVERIFY(!d.session().workingFiles().exists(Kind::Raw));
#endif
}

void TestLoader::plantedLinkIsNotFollowed()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links");
#else
    SessionDriver d;
    const QString victim = d.writeFile(QStringLiteral("victim.txt"), "precious");
    QVERIFY(QFile::link(victim, d.workingFilePath(Kind::Raw)));
    QVERIFY(QFile::link(victim, d.workingFilePath(Kind::Normalised)));
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n"));
    QCOMPARE(d.readFile(QStringLiteral("victim.txt")), QByteArray("precious"));
    QVERIFY(!QFileInfo(d.workingFilePath(Kind::Raw)).isSymLink());
    QVERIFY(!QFileInfo(d.workingFilePath(Kind::Normalised)).isSymLink());
    QCOMPARE(d.sourceItems(), QStringList{"A"});
#endif
}

void TestLoader::bigInputs()
{
    SessionDriver d;
    // About 50 MB: every channel listed, none dropped past 32 767.
    QByteArray big = "#EXTM3U\n";
    const QByteArray url = "http://example.invalid/" + QByteArray(400, 's') + "\n";
    int n = 0;
    while (big.size() < 50'000'000)
        big += "#EXTINF:-1 tvg-id=\"x\" group-title=\"G\",Channel " + QByteArray::number(n++) + "\n" + url;
    d.load(d.writeFile(QStringLiteral("big.m3u"), big));
    QVERIFY(n > 100'000);
    QCOMPARE(d.session().sourceList().count(), n);
    QCOMPARE(d.session().sourceList().text(n - 1), QStringLiteral("Channel %1").arg(n - 1));
    QCOMPARE(d.session().channelCount(), n);

    // A line of 1 MB without a line end.
    d.load(d.writeFile(QStringLiteral("long.m3u"), "#EXTINF:-1," + QByteArray(1 << 20, 'x')));
    QCOMPARE(d.session().sourceList().count(), 1);
    QCOMPARE(d.session().sourceList().text(0).size(), 1 << 20);
}

// Each in its own encoding, whichever mode was set before; every name as the
// file has it.
void TestLoader::realPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<int>("channels");
    QTest::addColumn<QString>("sample");
    const auto utf8 = InputMode::Utf8;
    QTest::addRow("iptv-org-all") << "iptv-org_all.m3u" << utf8 << 15329 << QStringLiteral("MBC Bollywood (1080p) [Geo-blocked]");
    QTest::addRow("iptv-org-ru") << "iptv-org_ru.m3u" << utf8 << 187 << QString();
    QTest::addRow("iptv-org-ua") << "iptv-org_ua.m3u" << utf8 << 80 << QString();
    QTest::addRow("iptv-org-2023-ua") << "iptv-org-2023_ua.m3u" << utf8 << 49 << QString();
    QTest::addRow("free-tv") << "free-tv_playlist.m3u8" << utf8 << 2059 << QStringLiteral("#Riccanza – Pluto TV");
    QTest::addRow("extgrp") << "smolnp_IPTVru_extgrp.m3u" << utf8 << 140 << QStringLiteral("Первый канал HD");
    QTest::addRow("extgrp-cp1251") << "smolnp_IPTVru_extgrp.cp1251.m3u" << InputMode::Ansi << 140
                                   << QStringLiteral("Первый канал HD");
    QTest::addRow("bom-crlf") << "smolnp_film_d-tv_bom_crlf.m3u" << utf8 << 577 << QStringLiteral("Джон Уик 3 [США/2019]");
    QTest::addRow("adamzs-crlf") << "adamzs_ua_crlf.m3u" << utf8 << 158 << QString();
}

void TestLoader::realPlaylists()
{
    QFETCH(QString, file);
    QFETCH(InputMode, mode);
    QFETCH(int, channels);
    QFETCH(QString, sample);
    const QString path = testsupport::playlistPath(file);
    KELVARO_REQUIRE_FILE(path);
    SessionDriver d;
    if (mode == InputMode::Utf8)
        d.setInputMode(InputMode::Ansi);
    (void)d.takeMessages();
    d.load(path);
    QCOMPARE(d.session().inputMode(), mode);
    QCOMPARE(d.session().channelCount(), channels);
    QStringList items = d.sourceItems();
    if (!sample.isEmpty())
        QVERIFY2(items.contains(sample), qPrintable(items.mid(0, 5).join(u'|')));
    for (QString &item : items)
        item.remove(QChar(1));
    QFile playlist(path);
    QVERIFY(playlist.open(QIODevice::ReadOnly));
    QCOMPARE(items, reference::channelNames(playlist.readAll(), mode));
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestLoader::playlistChangedWhileRead_data()
{
    QTest::addColumn<QString>("change");

    QTest::addRow("cut") << "cut";
    QTest::addRow("grown") << "grown";
    QTest::addRow("rewritten-same-size") << "rewritten";
}

// Another program changes the playlist after the first block was read: the
// load fails and loads nothing.
void TestLoader::playlistChangedWhileRead()
{
    QFETCH(QString, change);

    QTemporaryDir folder;
    QByteArray playlist;
    for (int i = 0; i < 60000; ++i)
        playlist += "#EXTINF:-1,Channel " + QByteArray::number(i) + "\nhttp://example.invalid/" + QByteArray::number(i) + "\n";
    QVERIFY(playlist.size() > (2 << 20));
    const QString path = testsupport::writeFile(folder.filePath(QStringLiteral("list.m3u")), playlist);
    bool changed = false;
    Progress progress([&] {
        if (!std::exchange(changed, true)) {
            QFile file(path);
            if (change == QLatin1String("cut")) {
                file.resize(1000);
            } else if (change == QLatin1String("grown")) {
                (void)file.open(QIODevice::Append);
                file.write("#EXTINF:-1,More\nhttp://more\n");
            } else {
                (void)file.open(QIODevice::ReadWrite);
                file.write(QByteArray(playlist.size(), 'x'));
                file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
            }
        }
        return true;
    }, 0);
    WorkingFiles files(folder.path());
    Normaliser normaliser;
    int names = 0;
    const Result<> loaded = intake::loadPlaylist(path, files, normaliser, InputMode::Utf8, progress,
                                                 [](InputMode) {}, [&](const passes::ListedChannel &) { ++names; });
    QVERIFY(changed);
    QVERIFY(!loaded && !loaded.isStopped());
    QCOMPARE(loaded.failure().path, path);
    QVERIFY(!files.exists(WorkingFiles::Kind::Raw));
    QVERIFY(!files.exists(WorkingFiles::Kind::Normalised));
}

void TestLoader::noRoomForWorkingFiles_data()
{
    QTest::addColumn<bool>("diskFull"); // else the raw copy meets a file size limit

    QTest::addRow("raw-copy-cut") << false;
    QTest::addRow("no-room-for-the-folder") << true;
}

// The message names what could not be written and why, and nothing is loaded.
void TestLoader::noRoomForWorkingFiles()
{
    QFETCH(bool, diskFull);

    SmallDisk disk(256 * 1024);
    if (diskFull) {
        KELVARO_REQUIRE_SMALL_DISK(disk);
        disk.fillUpTo(0);
    }
    QTemporaryDir program;
    QTemporaryDir temp;
    PlaylistSession session(program.path(), diskFull ? disk.path() : temp.path());
    QStringList messages;
    connect(&session, &PlaylistSession::message, this, [&](const QString &text) { messages << text; });
    QByteArray playlist;
    for (int i = 0; i < 2000; ++i)
        playlist += "#EXTINF:-1,Channel " + QByteArray::number(i) + "\nhttp://example.invalid/" + QByteArray::number(i) + "\n";
    const QString path = testsupport::writeFile(program.filePath(QStringLiteral("list.m3u")), playlist);
    {
        const FileSizeLimit limit(diskFull ? playlist.size() * 4 : 4096);
        if (!limit.active())
            QSKIP("needs a file size limit");
        QVERIFY(session.prepareLoad());
        session.load(path);
        waitForEnd(session);
    }
    QCOMPARE(messages.size(), 1);
    const QStringList parts = messages[0].split(QStringLiteral("\n\n"));
    QCOMPARE(parts.size(), 3);
    QVERIFY2(parts[1].startsWith(QDir::toNativeSeparators(diskFull ? disk.path() : temp.path())), qPrintable(parts[1]));
    QVERIFY(diskFull || parts[1].endsWith(QStringLiteral("ttemp.kv")));
    for (const char *unknown : {"Unknown error", "Неизвестная ошибка"})
        QVERIFY2(!parts[2].contains(QString::fromUtf8(unknown)), qPrintable(parts[2]));
    QCOMPARE(session.sourceList().count(), 0);
    QVERIFY(!session.canSelectAll());
    QVERIFY(!session.workingFiles().exists(WorkingFiles::Kind::Raw));
}

QTEST_GUILESS_MAIN(TestLoader)
#include "tst_loader.moc"
