#include "app/session/Messages.h"
#include "common/SessionDriver.h"

#include <QCoreApplication>

#include <algorithm>
#include <QDir>
#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>

using Kind = WorkingFiles::Kind;
using Operation = PlaylistSession::Operation;

namespace {

constexpr int channels = 2000;

QByteArray bigPlaylist(const QByteArray &prefix = "Channel ")
{
    QByteArray bytes = "#EXTM3U\n";
    for (int i = 0; i < channels; ++i)
        bytes += "#EXTINF:-1," + prefix + QByteArray::number(i) + "\nhttp://example.invalid/" + QByteArray::number(i)
                 + "\n";
    return bytes;
}

void tickAll(SessionDriver &d)
{
    for (int row = 0; row < d.session().sourceList().count(); ++row)
        d.session().sourceList().setTicked(row, true);
}

// Brings the session to where the operation can run, then starts it without
// waiting for its end.
void prepare(SessionDriver &d, Operation operation)
{
    if (operation != Operation::Load)
        d.load(d.writeFile(QStringLiteral("list.m3u"), bigPlaylist()));
    if (operation == Operation::Create || operation == Operation::Save)
        tickAll(d);
    if (operation == Operation::Save)
        d.create();
    if (operation == Operation::FromPrevious)
        d.writeFile(QStringLiteral("previous.m3u"), bigPlaylist());
}

void start(SessionDriver &d, Operation operation)
{
    PlaylistSession &s = d.session();
    switch (operation) {
    case Operation::Load:
        if (s.prepareLoad())
            s.load(d.writeFile(QStringLiteral("list.m3u"), bigPlaylist()));
        break;
    case Operation::SwitchEncoding:
        s.setInputMode(InputMode::Ansi);
        break;
    case Operation::SelectAll:
        s.setSelectAllTicked(true);
        s.selectAll();
        break;
    case Operation::Create:
        s.createNewList();
        break;
    case Operation::Save:
        s.save();
        break;
    case Operation::FromPrevious:
        s.createFromPrevious(QDir(d.programFolder()).filePath(QStringLiteral("previous.m3u")));
        break;
    case Operation::None:
        break;
    }
}

} // namespace

class TestSessionOperations : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void aLoadRunsAlone();
    void shutDownStopsPartWay_data();
    void shutDownStopsPartWay();
    void countsMoveWhileRunning_data();
    void countsMoveWhileRunning();
};

// While a load runs, nothing else begins, not even another load; the load
// ends whole.
void TestSessionOperations::aLoadRunsAlone()
{
    SessionDriver d;
    PlaylistSession &s = d.session();
    const QString other = d.writeFile(QStringLiteral("other.m3u8"), bigPlaylist("Other "));
    QSignalSpy finished(&s, &PlaylistSession::finished);
    start(d, Operation::Load);
    QVERIFY(s.isBusy());
    QVERIFY(!s.prepareLoad());
    s.load(other);
    s.setInputMode(InputMode::Ansi);
    s.selectAll();
    s.createNewList();
    s.save();
    QVERIFY(finished.wait());

    QCOMPARE(finished.size(), 1);
    QCOMPARE(finished.first().first().value<Operation>(), Operation::Load);
    QVERIFY(!s.isBusy());
    QCOMPARE(s.inputMode(), InputMode::Utf8);
    QCOMPARE(s.saveFormat(), SaveFormat::Option::M3u); // list.m3u's, not other.m3u8's
    QCOMPARE(s.sourceList().count(), channels);
    QCOMPARE(s.sourceList().text(0), QStringLiteral("Channel 0"));
    QVERIFY(d.newItems().isEmpty());
    QVERIFY(d.workingFile(Kind::Normalised).endsWith("http://example.invalid/" + QByteArray::number(channels - 1) + "\r\n"));
    QCOMPARE(d.takeMessages(), QStringList());
    QCOMPARE(QDir(d.programFolder()).entryList(QDir::Files), (QStringList{"list.m3u", "other.m3u8"}));
}

void TestSessionOperations::shutDownStopsPartWay_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addRow("load") << Operation::Load;
    QTest::addRow("switch-encoding") << Operation::SwitchEncoding;
    QTest::addRow("select-all") << Operation::SelectAll;
    QTest::addRow("create") << Operation::Create;
    QTest::addRow("from-previous") << Operation::FromPrevious;
    QTest::addRow("save") << Operation::Save;
}

// Shut down while an operation is part-way: it stops, nothing it had sent
// is handled any more, nothing is told, and the working files and this
// copy's folder go.
void TestSessionOperations::shutDownStopsPartWay()
{
    QFETCH(Operation, operation);
    SessionDriver d;
    PlaylistSession &s = d.session();
    prepare(d, operation);
    const QString folder = QFileInfo(d.workingFilePath(Kind::Raw)).absolutePath();
    d.writeFile(QStringLiteral("Kelvaro.m3u"), "previous");
    s.setProgressIntervalForTesting(0);

    // A load, a switch, select-all and "Создать" show their progress; the
    // save and the matching of a previous playlist show none and are shut
    // down right after they began.
    bool stopped = false;
    const auto shutDownWhileBusy = [&] {
        if (!stopped && s.isBusy()) {
            stopped = true;
            s.shutDown();
        }
    };
    QSignalSpy channelCounts(&s, &PlaylistSession::channelCountChanged);
    QSignalSpy newCounts(&s, &PlaylistSession::newCountChanged);
    QSignalSpy finished(&s, &PlaylistSession::finished);
    connect(&s, &PlaylistSession::channelCountChanged, this, shutDownWhileBusy);
    connect(&s, &PlaylistSession::newCountChanged, this, shutDownWhileBusy);
    start(d, operation);
    QVERIFY(s.isBusy());
    if (operation == Operation::Save || operation == Operation::FromPrevious)
        shutDownWhileBusy();
    QTRY_VERIFY(stopped);

    QVERIFY(!s.isBusy());
    const qsizetype counts = channelCounts.size() + newCounts.size();
    QCoreApplication::sendPostedEvents();
    QCOMPARE(channelCounts.size() + newCounts.size(), counts);
    QCOMPARE(finished.size(), 0);
    QCOMPARE(d.takeMessages(), QStringList());
    QVERIFY(!QFileInfo::exists(folder));
    if (operation == Operation::Load || operation == Operation::SelectAll || operation == Operation::SwitchEncoding)
        QVERIFY(s.sourceList().count() < channels);
    if (operation == Operation::Create)
        QVERIFY(s.newList().count() < channels);
    if (operation == Operation::FromPrevious) {
        QVERIFY(s.newList().count() == 0);
        QVERIFY(std::none_of(s.sourceList().ticks().begin(), s.sourceList().ticks().end(), [](char t) { return t; }));
    }
    // A stopped save leaves no temporary file; the previous output stays or,
    // had the save already ended, became the backup.
    for (const QString &file : QDir(d.programFolder()).entryList(QDir::Files | QDir::Hidden | QDir::System))
        QVERIFY2(QStringList({"list.m3u", "previous.m3u", "Kelvaro.m3u", "Playlist_OLD.m3u"}).contains(file), qPrintable(file));
}

void TestSessionOperations::countsMoveWhileRunning_data()
{
    QTest::addColumn<Operation>("operation");
    QTest::addRow("load") << Operation::Load;
    QTest::addRow("switch-encoding") << Operation::SwitchEncoding;
    QTest::addRow("select-all") << Operation::SelectAll;
    QTest::addRow("create") << Operation::Create;
}

// The counter of the list an operation fills climbs while it runs, with the
// busy label shown, and ends at the list's length.
void TestSessionOperations::countsMoveWhileRunning()
{
    QFETCH(Operation, operation);
    SessionDriver d;
    PlaylistSession &s = d.session();
    prepare(d, operation);
    s.setProgressIntervalForTesting(0);

    struct Seen
    {
        int count;
        bool busy;
        bool busyShown;
    };
    QList<Seen> seen;
    const auto record = [&](int count) { seen << Seen{count, s.isBusy(), s.isBusy()}; };
    if (operation == Operation::Create)
        connect(&s, &PlaylistSession::newCountChanged, this, record);
    else
        connect(&s, &PlaylistSession::channelCountChanged, this, record);
    QSignalSpy finished(&s, &PlaylistSession::finished);
    start(d, operation);
    QVERIFY(finished.wait());

    QVERIFY(!seen.isEmpty());
    QCOMPARE(seen.last().count, channels);
    QCOMPARE(operation == Operation::Create ? s.newCount() : s.channelCount(), channels);
    QVERIFY(!s.isBusy());
    int partWay = 0;
    for (qsizetype i = 0; i < seen.size(); ++i) {
        if (i > 0)
            QVERIFY2(seen[i].count >= seen[i - 1].count, qPrintable(QString::number(i)));
        if (seen[i].busy) {
            QVERIFY(seen[i].busyShown);
            partWay += seen[i].count > 0 && seen[i].count < channels;
        }
    }
    QVERIFY2(partWay > 0, "the count moved only at the end");
}

QTEST_GUILESS_MAIN(TestSessionOperations)
#include "tst_sessionoperations.moc"
