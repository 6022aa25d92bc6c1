#include "app/session/Messages.h"
#include "app/session/OutputFolder.h"
#include "common/SessionDriver.h"
#include "common/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

using testsupport::crlfLines;
using Kind = WorkingFiles::Kind;

namespace {

const QByteArray playlist = "#EXTM3U url-tvg=x\n"
                            "#EXTINF:-1 group-title=News,Первый\nhttp://u/1\n"
                            "#EXTINF:-1,Кино HD\n#EXTGRP:Films\nhttp://u/2\n"
                            "#EXTINF:-1,Спорт\nhttp://u/3\n";

} // namespace

class TestSession : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void wholeWay();
    void stateAlongTheWay();
    void twoCopiesAtOnce_data();
    void twoCopiesAtOnce();
    void userFolderMadeOnlyToWrite();
};

// Load, switch there and back, select all, untick one, create, move, save.
void TestSession::wholeWay()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("list.m3u8"), playlist));
    QCOMPARE(d.sourceItems(), (QStringList{"Первый", "Кино HD", "Спорт"}));
    QCOMPARE(d.session().channelCount(), 3);
    d.setInputMode(InputMode::Ansi);
    QCOMPARE(d.sourceItems().value(2), QStringLiteral("РЎРїРѕСЂС‚"));
    QVERIFY(d.newItems().isEmpty());
    d.setInputMode(InputMode::Utf8);
    d.selectAll(true);
    QVERIFY(!d.session().canSwitchEncoding());
    d.session().sourceList().setTicked(1, false);
    d.create();
    QCOMPARE(d.newItems(), (QStringList{"Первый", "Спорт"}));
    QCOMPARE(d.session().newCount(), 2);
    QCOMPARE(d.session().moveChannel(1, NewListModel::Direction::Up), 0);
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{QStringLiteral("Плейлист создан рядом с программой!")});
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u8")),
             crlfLines({"#EXTM3U url-tvg=x", "#EXTINF:-1,Спорт", "http://u/3", "#EXTINF:-1,Первый", "http://u/1"}));
}

void TestSession::stateAlongTheWay()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    QVERIFY(!s.canCreate() && !s.canSelectAll() && !s.canChooseSaveFormat() && !s.canSave() && !s.canMove());
    d.setInputMode(InputMode::Ansi); // nothing loaded yet
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QCOMPARE(s.inputMode(), InputMode::Ansi);

    d.load(d.writeFile(QStringLiteral("list.m3u"), playlist));
    QVERIFY(s.canCreate() && s.canSelectAll() && s.canChooseSaveFormat());
    QCOMPARE(s.saveFormat(), SaveFormat::Option::M3u);
    QVERIFY(!s.canSave());
    d.create();
    QVERIFY(s.canSave() && s.canMove());

    d.cancelLoad();
    QVERIFY(s.canCreate() && !s.canSelectAll());
    QVERIFY(!d.session().workingFiles().exists(Kind::Raw));
    QCOMPARE(d.sourceItems().size(), 3); // the old channels stay listed
    d.create();
    d.save();
    QCOMPARE(d.takeMessages(), (QStringList{messages::loadPlaylistFirst(), messages::loadPlaylistFirst()}));
}

void TestSession::twoCopiesAtOnce_data()
{
    QTest::addColumn<bool>("privateFolder");
    QTest::addRow("same-Temp") << false;
    QTest::addRow("default-private-folder") << true;
}

// Two running copies that share a temporary folder (the same Temp, or the
// same private folder without it): each loads, creates and saves its own
// playlist, as they go in turns.
void TestSession::twoCopiesAtOnce()
{
    QFETCH(bool, privateFolder);
    QTemporaryDir temp;
    QTemporaryDir runtime;
    const QByteArray oldTemp = qgetenv("Temp");
    const QByteArray oldRuntime = qgetenv("XDG_RUNTIME_DIR");
    const auto restore = qScopeGuard([&] {
        qputenv("Temp", oldTemp);
        qputenv("XDG_RUNTIME_DIR", oldRuntime);
    });
    qputenv("Temp", privateFolder ? QByteArray() : QFile::encodeName(temp.path()));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));

    QTemporaryDir programs;
    std::unique_ptr<PlaylistSession> copies[2];
    const QByteArray names[2] = {"X", "Y"};
    for (int c = 0; c < 2; ++c) {
        const QString folder = programs.filePath(QString::number(c));
        QVERIFY(QDir().mkpath(folder));
        copies[c] = std::make_unique<PlaylistSession>(folder);
        const QString playlist = testsupport::writeFile(folder + QStringLiteral("/list.m3u"),
                                                        "#EXTINF:-1," + names[c] + "\nhttp://" + names[c] + "\n");
        QVERIFY(copies[c]->prepareLoad());
        copies[c]->load(playlist);
        waitForEnd(*copies[c]);
    }
    QCOMPARE(QFileInfo(copies[0]->workingFiles().folder()).dir(), QFileInfo(copies[1]->workingFiles().folder()).dir());
    QVERIFY(copies[0]->workingFiles().folder() != copies[1]->workingFiles().folder());
    for (int c = 0; c < 2; ++c) {
        copies[c]->sourceList().setTicked(0, true);
        copies[c]->createNewList();
        waitForEnd(*copies[c]);
        copies[c]->save();
        waitForEnd(*copies[c]);
        QFile saved(copies[c]->programFolder() + QStringLiteral("/Kelvaro.m3u"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), crlfLines({"#EXTM3U", "#EXTINF:-1," + names[c], "http://" + names[c]}));
    }
}

// An installed program writes into the documents folder's "Kelvaro": asking
// where the open-file dialog starts must not make it, writing does.
void TestSession::userFolderMadeOnlyToWrite()
{
#ifdef Q_OS_WIN
    QSKIP("Windows names the Documents folder itself: no HOME to put it in a test's folder");
#endif
    QTemporaryDir home;
    const QByteArray oldHome = qgetenv("HOME");
    const auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });
    qputenv("HOME", QFile::encodeName(home.path()));
    const QString installed = home.filePath(QStringLiteral("no-such-program-folder"));
    const QString user = OutputFolder::userFolder();
    QVERIFY(user.startsWith(home.path()));

    QCOMPARE(OutputFolder::dialogFolder(installed), QFileInfo(user).path());
    QVERIFY(!QFileInfo::exists(user));
    const Result<OutputFolder> chosen = OutputFolder::choose(installed);
    QVERIFY(chosen);
    QCOMPARE(chosen->path, user);
    QVERIFY(QFileInfo(user).isDir());
    QCOMPARE(OutputFolder::dialogFolder(installed), user);
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
