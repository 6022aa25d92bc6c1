#include "app/session/Messages.h"
#include "common/SessionDriver.h"

Q_DECLARE_METATYPE(InputMode)

#include <QSignalSpy>
#include <QTest>

// "Создать" as the session runs it: the ticked channels become the new list.
class TestNewList : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ticksBecomeTheNewList_data();
    void ticksBecomeTheNewList();
    void ticksAsAtTheClick();
    void pressingAgainRebuilds();
    void missingRawCopy();
    void afterAnEncodingSwitch();
    void longNamesShownByTheirStart_data();
    void longNamesShownByTheirStart();
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
    for (InputMode mode : {InputMode::Utf8, InputMode::Ansi}) {
        SessionDriver d;
        PlaylistSession &s = d.session();
        d.setInputMode(mode);
        (void)d.takeMessages();
        d.load(d.writeFile(QStringLiteral("a.m3u"), input));
        for (const QString &name : ticked) {
            QVERIFY(d.sourceItems().contains(name));
            s.sourceList().setTicked(int(d.sourceItems().indexOf(name)), true);
        }
        QVERIFY(!s.canSave());
        d.create();
        QCOMPARE(d.newItems(), newList);
        QCOMPARE(s.newCount(), newList.size());
        QVERIFY(s.canSave());
        QVERIFY(s.canMove());
        QCOMPARE(d.takeMessages(), QStringList());
    }
}

// The counter follows the walk, not only its end.
void TestNewList::ticksAsAtTheClick()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    constexpr int n = 50000;
    QByteArray input;
    for (int i = 0; i < n; ++i)
        input += "#EXTINF:-1,C" + QByteArray::number(i) + "\nhttp://x\n";
    d.load(d.writeFile(QStringLiteral("a.m3u"), input));
    d.tick({0, n - 1});
    s.createNewList();
    QVERIFY(s.isBusy());
    s.sourceList().setTicked(n - 1, false);
    s.sourceList().setTicked(n - 2, true);
    QSignalSpy finished(&s, &PlaylistSession::finished);
    QVERIFY(finished.wait(60000));
    QCOMPARE(d.newItems(), (QStringList{"C0", QStringLiteral("C%1").arg(n - 1)}));
}

void TestNewList::pressingAgainRebuilds()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n#EXTINF:-1,B\n#EXTINF:-1,C\n"));
    d.tick({0, 1, 2});
    d.create();
    d.session().dropChannel(0, 2);
    QCOMPARE(d.newItems(), (QStringList{"B", "C", "A"}));
    d.create();
    QCOMPARE(d.newItems(), (QStringList{"A", "B", "C"}));
    QCOMPARE(d.session().newCount(), 3);
}

// A cancelled load deleted the working files: the lists stay as they were.
void TestNewList::missingRawCopy()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,A\n#EXTINF:-1,B\n"));
    d.tick({1});
    d.create();
    d.cancelLoad();
    d.tick({0});
    QSignalSpy finished(&s, &PlaylistSession::finished);
    d.create();
    QCOMPARE(d.takeMessages(), QStringList{messages::loadPlaylistFirst()});
    QVERIFY(finished.isEmpty());
    QCOMPARE(d.newItems(), QStringList{"B"});
    QCOMPARE(s.newCount(), 1);
    QVERIFY(!s.isBusy());
}

void TestNewList::afterAnEncodingSwitch()
{
    SessionDriver d;
    d.load(d.writeFile(QStringLiteral("a.m3u"), "#EXTINF:-1,При\nu\n#EXTINF:-1,Б\nu\n"));
    d.setInputMode(InputMode::Ansi);
    d.tick({0});
    d.create();
    QCOMPARE(d.newItems(), QStringList{QStringLiteral("РџСЂРё")});
}

void TestNewList::longNamesShownByTheirStart_data()
{
    QTest::addColumn<InputMode>("mode");
    QTest::addRow("utf8") << InputMode::Utf8;
    QTest::addRow("ansi") << InputMode::Ansi;
}

// Both lists show a name of megabytes by as much as a row can hold, cut
// between characters; the name itself stays whole.
void TestNewList::longNamesShownByTheirStart()
{
    QFETCH(InputMode, mode);
    const QString name = QStringLiteral("Жx").repeated(500000);
    const QByteArray bytes = mode == InputMode::Utf8 ? name.toUtf8() : QByteArray(name.size(), 'x');
    auto names = std::make_shared<NameList>(mode);
    names->append(bytes);
    SourceListModel source;
    source.clear(mode);
    source.append({names, {-1}, NameList(mode)}, true);
    NewListModel newList;
    newList.clear(source.names());
    newList.append(std::vector<qint32>{0});
    for (const QAbstractItemModel *model : std::initializer_list<const QAbstractItemModel *>{&source, &newList}) {
        const QString shown = model->data(model->index(0, 0), Qt::DisplayRole).toString();
        QVERIFY(shown.size() >= 500 && shown.size() <= 1024);
        QVERIFY(!shown.contains(QChar(0xFFFD)));
        QVERIFY(QString(mode == InputMode::Utf8 ? name : QString::fromLatin1(bytes)).startsWith(shown));
    }
    QCOMPARE(source.text(0).size(), name.size());
}

QTEST_GUILESS_MAIN(TestNewList)
#include "tst_newlist.moc"
