#include "common/SessionDriver.h"

#include <QSignalSpy>
#include <QTest>

namespace {

QByteArray playlist(int channels)
{
    QByteArray bytes = "#EXTM3U\n";
    for (int i = 0; i < channels; ++i)
        bytes += "#EXTINF:-1,Channel " + QByteArray::number(i) + "\nhttp://x/" + QByteArray::number(i) + "\n";
    return bytes;
}

int tickedCount(const SourceListModel &list)
{
    int n = 0;
    for (int i = 0; i < list.count(); ++i)
        n += list.isTicked(i);
    return n;
}

} // namespace

// Select-all as the session runs it: the channels listed again, all ticked
// or all unticked as the box is.
class TestSelectAll : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void everyTickFollowsTheBox_data();
    void everyTickFollowsTheBox();
    void handTicksAreReplaced();
    void namesStayDecoded_data();
    void namesStayDecoded();
};

void TestSelectAll::everyTickFollowsTheBox_data()
{
    QTest::addColumn<bool>("ticked");
    QTest::addRow("ticked") << true;
    QTest::addRow("unticked") << false;
}

void TestSelectAll::everyTickFollowsTheBox()
{
    QFETCH(bool, ticked);
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlist(120)));
    d.tick({5, 6});
    d.create(); // select-all leaves the new list and its counter alone
    s.sourceList().setTicked(3, !ticked); // a hand tick the select-all replaces
    QSignalSpy refilled(&s, &PlaylistSession::sourceListRefilled);

    d.selectAll(ticked);

    QCOMPARE(s.sourceList().count(), 120);
    QCOMPARE(tickedCount(s.sourceList()), ticked ? 120 : 0);
    QCOMPARE(s.channelCount(), 120);
    QCOMPARE(refilled.size(), 1);
    QCOMPARE(s.isSelectAllTicked(), ticked);
    QCOMPARE(s.canSwitchEncoding(), !ticked);
    QCOMPARE(d.newItems(), (QStringList{"Channel 5", "Channel 6"}));
    QCOMPARE(s.newCount(), 2);
    QVERIFY(!s.isBusy());
    QCOMPARE(d.takeMessages(), QStringList());
}

void TestSelectAll::handTicksAreReplaced()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), playlist(5)));
    d.tick({1, 4});
    d.selectAll(true);
    QCOMPARE(tickedCount(s.sourceList()), 5);
    s.sourceList().setTicked(2, false);
    d.selectAll(false);
    QCOMPARE(tickedCount(s.sourceList()), 0);
    QVERIFY(s.canSwitchEncoding());
}

void TestSelectAll::namesStayDecoded_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addColumn<QStringList>("names");
    QTest::addRow("utf8") << InputMode::Utf8 << QStringList{QStringLiteral("Первый"), QStringLiteral("Второй")};
    QTest::addRow("ansi") << InputMode::Ansi << QStringList{QStringLiteral("РџРµСЂРІС‹Р№"), QStringLiteral("Р’С‚РѕСЂРѕР№")};
}

void TestSelectAll::namesStayDecoded()
{
    QFETCH(InputMode, mode);
    QFETCH(QStringList, names);
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,Первый\nu\n#EXTINF:-1,Второй\nu\n"));
    d.setInputMode(mode);
    QCOMPARE(d.sourceItems(), names);
    d.selectAll(true);
    QCOMPARE(d.sourceItems(), names);
}

QTEST_GUILESS_MAIN(TestSelectAll)
#include "tst_selectall.moc"
