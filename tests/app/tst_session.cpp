#include "app/session/Messages.h"
#include "common/SessionDriver.h"
#include "common/TestSupport.h"

#include <QSignalSpy>
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
    void twoSessionsShareATemporaryFolder();
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
    QVERIFY(d.session().isEncodingLocked());
    d.session().sourceList().setTicked(1, false);
    d.create();
    QCOMPARE(d.newItems(), (QStringList{"Первый", "Спорт"}));
    QCOMPARE(d.session().newCount(), 2);
    QCOMPARE(d.session().moveChannel(1, NewListModel::Direction::Up), 0);
    d.save();
    QCOMPARE(d.takeMessages(), QStringList{QStringLiteral("Плейлист создан рядом с программой!")});
    QCOMPARE(d.readFile(QStringLiteral("Kelvaro.m3u8")),
             crlfLines({"#EXTM3U", "#EXTINF:-1,Спорт", "http://u/3", "#EXTINF:-1,Первый", "http://u/1"}));
}

void TestSession::stateAlongTheWay()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    QVERIFY(!s.canCreate() && !s.canSelectAll() && !s.isSaveFormatEnabled() && !s.canSave() && !s.canMove());
    d.setInputMode(InputMode::Ansi); // nothing loaded yet
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QCOMPARE(s.inputMode(), InputMode::Ansi);

    d.load(d.writeFile(QStringLiteral("list.m3u"), playlist));
    QVERIFY(s.canCreate() && s.canSelectAll() && s.isSaveFormatEnabled());
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

// Two running copies with the same temporary folder never touch each other's
// working files.
void TestSession::twoSessionsShareATemporaryFolder()
{
    SessionDriver a;
    PlaylistSession b(a.programFolder() + QStringLiteral("/b"), a.tempFolder());
    QVERIFY(QDir().mkpath(b.programFolder()));
    a.load(a.writeFile(QStringLiteral("x.m3u"), "#EXTINF:-1,X\nhttp://x\n"));
    QSignalSpy bDone(&b, &PlaylistSession::finished);
    QVERIFY(b.prepareLoad());
    b.load(a.writeFile(QStringLiteral("y.m3u"), "#EXTINF:-1,Y\nhttp://y\n"));
    QVERIFY(bDone.wait());
    a.tick({0});
    a.create();
    a.save();
    QCOMPARE(a.readFile(QStringLiteral("Kelvaro.m3u")), crlfLines({"#EXTINF:-1,X", "#EXTINF:-1,X", "http://x"}));
    QCOMPARE(b.sourceList().texts(), QStringList{"Y"});
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
