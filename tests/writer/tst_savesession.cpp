#include "app/session/Messages.h"
#include "common/SessionDriver.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"
#include "reference/ReferenceWriter.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QTest>

Q_DECLARE_METATYPE(InputMode)

using testsupport::crlfLines;
using testsupport::hex;

namespace {

const QString saved = QStringLiteral("Плейлист создан рядом с программой!");


const QByteArray twoChannels = "#EXTM3U\n#EXTINF:-1,A\nu1\n#EXTINF:-1,B\nu2\n";

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

// The save as the session runs it: the output's name from the loaded file and
// the chosen format, the input mode in force, the list as it stood when the
// save began, and what the user is told.
class TestSaveSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void secondSaveMakesTheBackup();
    void emptyNewList();
    void nothingLoaded();
    void outputName_data();
    void outputName();
    void ansiMode_data();
    void ansiMode();
    void readOnlyProgramFolder_data();
    void readOnlyProgramFolder();
    void moveDuringASave();
    void realPlaylists_data();
    void realPlaylists();
};

void TestSaveSession::secondSaveMakesTheBackup()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u8"), twoChannels));
    d.writeFile(QStringLiteral("Kelvaro.m3u"), "untouched");
    d.tick({0});
    d.create();
    d.save();
    const QByteArray first = crlfLines({"#EXTM3U", "#EXTINF:-1,A", "u1"});
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u8")), first);
    d.tick({1});
    d.create();
    d.save();
    QCOMPARE(d.readFile(QStringLiteral("Playlist_OLD.m3u8")), first);
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u8")), crlfLines({"#EXTM3U", "#EXTINF:-1,A", "u1", "#EXTINF:-1,B", "u2"}));
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u")), QByteArray("untouched"));
    QCOMPARE(d.takeMessages(), (QStringList{saved, saved}));
    // No temporary file is left.
    QCOMPARE(filesIn(d.programFolder()), (QStringList{"Kelvaro.m3u", "Kelvaro.m3u8", "list.m3u8", "Playlist_OLD.m3u8"}));
}

// Nothing ticked: the previous output becomes the backup, the new one holds
// the header alone.
void TestSaveSession::emptyNewList()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u"), twoChannels));
    d.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    d.create();
    QVERIFY(d.session().canSave());
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{saved});
    QCOMPARE(filesIn(d.programFolder()), (QStringList{"Kelvaro.m3u", "list.m3u", "Playlist_OLD.m3u"}));
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u")), QByteArray("#EXTM3U\r\n"));
    QCOMPARE(d.readFile(QStringLiteral("Playlist_OLD.m3u")), QByteArray("previous"));
}

// A cancelled load took the working files: the save tells to load first and
// leaves the previous output alone.
void TestSaveSession::nothingLoaded()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u"), twoChannels));
    d.tick({0});
    d.create();
    d.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    d.cancelLoad();
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QCOMPARE(filesIn(d.programFolder()), (QStringList{"Kelvaro.m3u", "list.m3u"}));
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u")), QByteArray("previous"));
    QVERIFY(d.session().canSave());
    QVERIFY(!d.session().isBusy());
}

void TestSaveSession::outputName_data()
{
    QTest::addColumn<QString>("loaded");
    QTest::addColumn<QString>("chosen"); // the save format chosen after the load, if any
    QTest::addColumn<QString>("output");

    QTest::addRow("m3u") << "list.m3u" << "" << "Kelvaro.m3u";
    QTest::addRow("m3u8") << "list.m3u8" << "" << "Kelvaro.m3u8";
    QTest::addRow("m3u8-saved-as-m3u") << "list.m3u8" << "m3u" << "Kelvaro.m3u";
    QTest::addRow("m3u-saved-as-m3u8") << "list.m3u" << "m3u8" << "Kelvaro.m3u8";
    // The format comes from the name's last four characters.
    QTest::addRow("other-extension") << "list.txt" << "" << "Kelvaro.m3u";
    QTest::addRow("no-dot") << "playlist" << "" << "Kelvaro.m3u8";
#ifdef Q_OS_WIN
    QTest::addRow("short-extension") << "list.ab" << "" << "Kelvaro"; // Windows has no names ending with a dot
#else
    QTest::addRow("short-extension") << "list.ab" << "" << "Kelvaro.";
#endif
    QTest::addRow("short-extension-m3u8-chosen") << "list.ab" << "m3u8" << "Kelvaro.m3u8";
}

void TestSaveSession::outputName()
{
    QFETCH(QString, loaded);
    QFETCH(QString, chosen);
    QFETCH(QString, output);

    SessionDriver d;
    d.load(d.writeFile(loaded, twoChannels));
    if (!chosen.isEmpty())
        d.session().setSaveFormat(chosen == u"m3u" ? SaveFormat::Option::M3u : SaveFormat::Option::M3u8);
    d.tick({0});
    d.create();
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{saved});
    QStringList expected{loaded, output};
    expected.sort(Qt::CaseInsensitive);
    QCOMPARE(filesIn(d.programFolder()), expected);
    QCOMPARE(d.readFile(output), crlfLines({"#EXTM3U", "#EXTINF:-1,A", "u1"}));
}

void TestSaveSession::ansiMode_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QByteArray>("output");
    // П in Windows-1251 comes out as its UTF-8 bytes.
    QTest::addRow("windows-1251") << "#EXTM3U\n" + hex("23 45 58 54 49 4e 46 3a 2d 31 2c cf 0a 75 0a")
                                  << "#EXTM3U\r\n" + hex("23 45 58 54 49 4e 46 3a 2d 31 2c d0 9f 0d 0a 75 0d 0a");
    // A UTF-8 file read as ANSI text is written encoded twice.
    QTest::addRow("utf8-read-as-ansi") << "#EXTM3U\n" + hex("23 45 58 54 49 4e 46 3a 2d 31 2c d0 9f 0a 75 0a")
                                       << "#EXTM3U\r\n" + hex("23 45 58 54 49 4e 46 3a 2d 31 2c d0 a0 d1 9f 0d 0a 75 0d 0a");
}

void TestSaveSession::ansiMode()
{
    QFETCH(QByteArray, input);
    QFETCH(QByteArray, output);
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u"), input));
    d.setInputMode(InputMode::Ansi); // a UTF-8 file loads in UTF-8 mode
    QCOMPARE(d.session().inputMode(), InputMode::Ansi);
    d.tick({0});
    d.create();
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{saved});
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u")), output);
}

// The failure names the folder; the previous output stays, and the save can
// be tried again.
void TestSaveSession::readOnlyProgramFolder_data()
{
    QTest::addColumn<bool>("userFolderUsable");
    QTest::addRow("user-folder") << true;
    QTest::addRow("no-usable-folder") << false;
}

// A program folder that takes no new file (an installed program's): the
// playlist goes to the user's folder, and the message names it; when even
// that cannot be made, the message names it and nothing changes.
void TestSaveSession::readOnlyProgramFolder()
{
#ifndef Q_OS_UNIX
    QSKIP("permission bits are a Unix matter");
#else
    QFETCH(bool, userFolderUsable);
    QTemporaryDir home;
    Unprivileged::openUp(home.path());
    const QByteArray oldHome = qgetenv("HOME");
    const auto restoreHome = qScopeGuard([&] { qputenv("HOME", oldHome); });
    qputenv("HOME", QFile::encodeName(userFolderUsable ? home.path() : QStringLiteral("/nonexistent/home")));
    const QString userFolder = home.path() + QStringLiteral("/Documents/Kelvaro");

    SessionDriver d;
    Unprivileged::openUp(d.tempFolder());
    Unprivileged::openUp(d.programFolder());
    {
        Unprivileged nobody;
        QVERIFY(nobody.active());
        d.load(d.writeFile(QStringLiteral("list.m3u"), twoChannels));
        d.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
        d.tick({0});
        d.create();
    }
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                                        | QFile::ReadOther | QFile::ExeOther;
    QVERIFY(QFile::setPermissions(d.programFolder(), readOnly));
    {
        Unprivileged nobody;
        d.save();
    }
    QVERIFY(QFile::setPermissions(d.programFolder(), readOnly | QFile::WriteOwner));
    const QStringList messages = d.takeMessages();
    QCOMPARE(messages.size(), 1);
    QCOMPARE(filesIn(d.programFolder()), (QStringList{"Kelvaro.m3u", "list.m3u"}));
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u")), QByteArray("previous"));
    if (userFolderUsable) {
        QCOMPARE(messages.first(), QStringLiteral("Плейлист создан в папке:\n") + QDir::toNativeSeparators(userFolder));
        QCOMPARE(filesIn(userFolder), QStringList{"Kelvaro.m3u"});
    } else {
        QVERIFY2(messages.first().startsWith(QStringLiteral("Не удалось создать файл!")), qPrintable(messages.first()));
        QVERIFY2(messages.first().contains(QStringLiteral("/nonexistent/home")), qPrintable(messages.first()));
    }
    QVERIFY(d.session().canSave());
    QVERIFY(!d.session().isBusy());
#endif
}

// The save writes the list as it stood when it began; a move made while it
// runs belongs to the next save.
void TestSaveSession::moveDuringASave()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    QByteArray input = "#EXTM3U\n";
    for (int i = 0; i < 2000; ++i)
        input += "#EXTINF:-1,C" + QByteArray::number(i) + "\nhttp://x/" + QByteArray::number(i) + "\n";
    d.load(d.writeFile(QStringLiteral("list.m3u"), input));
    for (int row = 0; row < s.sourceList().count(); ++row)
        s.sourceList().setTicked(row, true);
    d.create();

    QSignalSpy finished(&s, &PlaylistSession::finished);
    s.save();
    QVERIFY(s.isBusy());
    QCOMPARE(s.moveChannel(0, NewListModel::Direction::Down), 1);
    QVERIFY(finished.wait());
    QVERIFY(d.readFile(QStringLiteral("Kelvaro.m3u")).startsWith(crlfLines({"#EXTM3U", "#EXTINF:-1,C0", "http://x/0", "#EXTINF:-1,C1"})));
    QCOMPARE(d.newItems().mid(0, 2), (QStringList{"C1", "C0"}));

    d.save();
    QVERIFY(d.readFile(QStringLiteral("Kelvaro.m3u")).startsWith(crlfLines({"#EXTM3U", "#EXTINF:-1,C1", "http://x/1", "#EXTINF:-1,C0"})));
}

void TestSaveSession::realPlaylists_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("utf8File"); // the same playlist in UTF-8
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<int>("everyNth"); // the channels ticked

    const auto utf8 = InputMode::Utf8;
    QTest::addRow("iptv-org-all-every-third") << "iptv-org_all.m3u" << "iptv-org_all.m3u" << utf8 << 3;
    QTest::addRow("iptv-org-ru-all") << "iptv-org_ru.m3u" << "iptv-org_ru.m3u" << utf8 << 1;
    QTest::addRow("iptv-org-ua-all") << "iptv-org_ua.m3u" << "iptv-org_ua.m3u" << utf8 << 1;
    // x-tvg-url with many addresses
    QTest::addRow("free-tv-all") << "free-tv_playlist.m3u8" << "free-tv_playlist.m3u8" << utf8 << 1;
    QTest::addRow("adamzs-all") << "adamzs_ua_crlf.m3u" << "adamzs_ua_crlf.m3u" << utf8 << 1;
    QTest::addRow("smolnp-film-all") << "smolnp_film_d-tv_bom_crlf.m3u" << "smolnp_film_d-tv_bom_crlf.m3u" << utf8 << 1;
    // url-tvg
    QTest::addRow("smolnp-every-second") << "smolnp_IPTVru_extgrp.m3u" << "smolnp_IPTVru_extgrp.m3u" << utf8 << 2;
    QTest::addRow("smolnp-windows-1251-every-second")
        << "smolnp_IPTVru_extgrp.cp1251.m3u" << "smolnp_IPTVru_extgrp.m3u" << InputMode::Ansi << 2;
}

namespace {

// The lines of a UTF-8 playlist as the provider wrote them: no CR, no mark,
// spaces trimmed.
QByteArrayList linesOf(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArrayList lines = file.readAll().replace("\r", "").split('\n');
    for (QByteArray &line : lines)
        line = line.trimmed();
    if (!lines.isEmpty() && lines.first().startsWith("\xEF\xBB\xBF"))
        lines.first().remove(0, 3);
    return lines;
}

} // namespace

// Load, tick, «Создать», a few moves and a drag, save: the file holds exactly
// the chosen entries in the list's order, under the playlist's own header,
// each entry line as the playlist has it but for its group attribute.
void TestSaveSession::realPlaylists()
{
    QFETCH(QString, file);
    QFETCH(QString, utf8File);
    QFETCH(InputMode, mode);
    QFETCH(int, everyNth);

    const QString path = testsupport::playlistPath(file);
    KELVARO_REQUIRE_FILE(path);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadOnly));
    const QByteArray playlist = f.readAll();
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("list.m3u"), playlist));
    QCOMPARE(s.inputMode(), mode);
    QCOMPARE(s.sourceList().count(), reference::channelNames(playlist, mode).size());
    for (int row = 0; row < s.sourceList().count(); row += everyNth)
        s.sourceList().setTicked(row, true);
    d.create();
    const int last = s.newList().count() - 1;
    QVERIFY(last > 10);
    s.moveChannel(0, NewListModel::Direction::Down);
    s.moveChannel(last, NewListModel::Direction::Up);
    s.dropChannel(5, last);
    s.dropChannel(last - 1, 2);
    const std::vector<qint32> &rows = s.newList().rows();
    const QList<int> entries(rows.begin(), rows.end());
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{saved});
    const QByteArray output = d.readFile(QStringLiteral("Kelvaro.m3u"));
    QVERIFY(output == reference::writePlaylist(playlist, mode, entries));

    const QByteArrayList input = linesOf(testsupport::playlistPath(utf8File));
    const QByteArrayList written = output.split('\n');
    QCOMPARE(written.first(), input.first() + '\r');
    QByteArrayList inputEntries;
    for (const QByteArray &line : input) {
        if (line.contains("EXTINF"))
            inputEntries << QString::fromUtf8(line).remove(QRegularExpression(QStringLiteral(" group-title=\"[^\"]*\""))).toUtf8();
    }
    QByteArrayList writtenEntries;
    for (const QByteArray &line : written) {
        if (line.contains("EXTINF"))
            writtenEntries << line.chopped(1);
    }
    QCOMPARE(writtenEntries.size(), entries.size());
    for (qsizetype i = 0; i < entries.size(); ++i)
        QCOMPARE(writtenEntries[i], inputEntries[entries[i]]);
}

QTEST_GUILESS_MAIN(TestSaveSession)
#include "tst_savesession.moc"
