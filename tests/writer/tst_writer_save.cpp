#include "common/Unprivileged.h"
#include "ReferenceWriter.h"
#include "WriterTestSupport.h"

#include "app/TimeSlice.h"
#include "writer/PlaylistSave.h"

#include <QBuffer>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

using writertest::crlfLines;
using writertest::itemBytes;
using writertest::views;
using Outcome = PlaylistWriter::Outcome;
using Status = SaveOutcome::Status;

namespace {

const QString header = QStringLiteral("#EXTM3U");
const QString entryA = QStringLiteral("#EXTINF:-1 group-title=G,A");
const QString entryB = QStringLiteral("#EXTINF:-1,B");
const QString entryC = QStringLiteral("#EXTINF:-1,C");
const QByteArray oldOutput = "old output\r\n";
const QByteArray oldBackup = "old backup\r\n";

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes, QFile::Permissions permissions)
{
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(f.errorString()));
    QCOMPARE(f.write(bytes), bytes.size());
    f.close();
    QVERIFY(f.setPermissions(permissions));
}

constexpr QFile::Permissions readWrite = QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup
                                       | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther;
constexpr QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;

// A program folder with a normalised copy beside it, all usable by the
// unprivileged user the tests may switch to.
class Workspace
{
public:
    Workspace()
    {
        folder = root.filePath(QStringLiteral("program"));
        copyPath = root.filePath(QStringLiteral("temp.kelv"));
        QDir().mkpath(folder);
        Unprivileged::openUp(root.path());
        Unprivileged::openUp(folder);
        copy = crlfLines({header, entryA, "UA", entryB, "UB"});
        writeFile(copyPath, copy, readWrite);
    }

    [[nodiscard]] QString output(const QString &extension = QStringLiteral("m3u")) const
    {
        return playlistOutputPath(folder, extension);
    }
    [[nodiscard]] QString backup(const QString &extension = QStringLiteral("m3u")) const
    {
        return playlistBackupPath(folder, extension);
    }
    [[nodiscard]] QStringList files() const
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }
    [[nodiscard]] SaveOutcome save(const QStringList &items, const QString &extension = QStringLiteral("m3u"))
    {
        TimeSlice slice;
        const QList<QByteArray> bytes = writertest::itemBytes(items, InputMode::Utf8);
        return savePlaylist(folder, extension, copyPath, writertest::views(bytes), InputMode::Utf8, slice);
    }

    QTemporaryDir root;
    QString folder;
    QString copyPath;
    QByteArray copy;
};

} // namespace

class TestWriterSave : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void savesTheOutput_data();
    void savesTheOutput();
    void secondSaveMakesTheFirstTheBackup();
    void emptyListRetiresTheOutput();
    void emptyListWithoutOutputChangesNothing();
    void missingCopyIsNoPlaylist_data();
    void missingCopyIsNoPlaylist();
    void failureLeavesTheFilesAlone_data();
    void failureLeavesTheFilesAlone();
    void writeErrorLeavesTheFilesAlone_data();
    void writeErrorLeavesTheFilesAlone();
    void stopLeavesTheFilesAlone();
    void failedWriteIsReported_data();
    void failedWriteIsReported();
    void shortWritesAreCompleted();
};

void TestWriterSave::savesTheOutput_data()
{
    QTest::addColumn<QString>("extension");
    QTest::addColumn<QString>("fileName");

    QTest::addRow("m3u") << "m3u" << "Kelvaro.m3u";
    QTest::addRow("m3u8") << "m3u8" << "Kelvaro.m3u8";
    QTest::addRow("no-extension") << "" << "Kelvaro.";
}

void TestWriterSave::savesTheOutput()
{
    QFETCH(QString, extension);
    QFETCH(QString, fileName);

    Workspace w;
    const SaveOutcome outcome = w.save({"B", "A"}, extension);
    QCOMPARE(outcome.status, Status::Saved);
    QVERIFY(!outcome.failure);
    QCOMPARE(w.files(), QStringList{fileName});
    QCOMPARE(readFile(w.folder + u'/' + fileName), crlfLines({header, entryB, "UB", "#EXTINF:-1,A", "UA"}));
}

void TestWriterSave::secondSaveMakesTheFirstTheBackup()
{
    Workspace w;
    writeFile(w.output(QStringLiteral("m3u")), oldOutput, readWrite);
    QCOMPARE(w.save({"A"}, QStringLiteral("m3u8")).status, Status::Saved);
    QCOMPARE(w.save({"B"}, QStringLiteral("m3u8")).status, Status::Saved);

    QCOMPARE(readFile(w.output(QStringLiteral("m3u8"))), crlfLines({header, entryB, "UB"}));
    QCOMPARE(readFile(w.backup(QStringLiteral("m3u8"))), crlfLines({header, "#EXTINF:-1,A", "UA"}));
    QCOMPARE(readFile(w.output(QStringLiteral("m3u"))), oldOutput);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Kelvaro.m3u8", "Playlist_OLD.m3u8"}));
}

void TestWriterSave::emptyListRetiresTheOutput()
{
    Workspace w;
    writeFile(w.output(), oldOutput, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    QCOMPARE(w.save({}).status, Status::Saved);
    QCOMPARE(readFile(w.backup()), oldOutput);
    QCOMPARE(w.files(), QStringList{"Playlist_OLD.m3u"});
}

void TestWriterSave::emptyListWithoutOutputChangesNothing()
{
    Workspace w;
    writeFile(w.backup(), oldBackup, readWrite);
    QCOMPARE(w.save({}).status, Status::Saved);
    QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), QStringList{"Playlist_OLD.m3u"});
}

void TestWriterSave::missingCopyIsNoPlaylist_data()
{
    QTest::addColumn<QStringList>("items");

    QTest::addRow("with-items") << QStringList{"A"};
    QTest::addRow("empty-list") << QStringList{};
}

void TestWriterSave::missingCopyIsNoPlaylist()
{
    QFETCH(QStringList, items);

    Workspace w;
    writeFile(w.output(), oldOutput, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    QVERIFY(QFile::remove(w.copyPath));
    const SaveOutcome outcome = w.save(items);
    QCOMPARE(outcome.status, Status::NoPlaylist);
    QCOMPARE(readFile(w.output()), oldOutput);
    QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
}

void TestWriterSave::failureLeavesTheFilesAlone_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<QString>("failedFile"); // in the program folder; empty: the folder's temporary file

    const QStringList items{"A"};
    QTest::addRow("read-only-folder") << "read-only-folder" << true << items << "Kelvaro.m3u";
    QTest::addRow("read-only-folder-empty-list") << "read-only-folder" << true << QStringList{} << "Playlist_OLD.m3u";
    QTest::addRow("folder-at-output") << "folder-at-output" << false << items << "Kelvaro.m3u";
    QTest::addRow("folder-at-backup") << "folder-at-backup" << false << items << "Playlist_OLD.m3u";
    QTest::addRow("folder-at-backup-empty-list") << "folder-at-backup" << false << QStringList{} << "Playlist_OLD.m3u";
    for (const bool unprivileged : {false, true}) {
        const char *who = unprivileged ? "unprivileged" : "as-is";
        QTest::addRow("read-only-output-%s", who) << "read-only-output" << unprivileged << items << "Kelvaro.m3u";
        QTest::addRow("read-only-output-empty-list-%s", who)
            << "read-only-output" << unprivileged << QStringList{} << "Kelvaro.m3u";
        QTest::addRow("read-only-backup-%s", who) << "read-only-backup" << unprivileged << items << "Playlist_OLD.m3u";
    }
}

// Each failure ends before anything is replaced: the previous output and
// backup keep their bytes and no temporary file stays behind.
void TestWriterSave::failureLeavesTheFilesAlone()
{
    QFETCH(QString, setup);
    QFETCH(bool, unprivileged);
    QFETCH(QStringList, items);
    QFETCH(QString, failedFile);

    Workspace w;
    QStringList before{"Kelvaro.m3u", "Playlist_OLD.m3u"};
    if (setup == QLatin1String("folder-at-output")) {
        QVERIFY(QDir().mkdir(w.output()));
        writeFile(w.backup(), oldBackup, readWrite);
    } else if (setup == QLatin1String("folder-at-backup")) {
        writeFile(w.output(), oldOutput, readWrite);
        QVERIFY(QDir().mkdir(w.backup()));
    } else {
        writeFile(w.output(), oldOutput, setup == QLatin1String("read-only-output") ? readOnly : readWrite);
        writeFile(w.backup(), oldBackup, setup == QLatin1String("read-only-backup") ? readOnly : readWrite);
    }
    if (setup == QLatin1String("read-only-folder"))
        QVERIFY(QFile::setPermissions(w.folder, readOnly | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

    SaveOutcome outcome{Status::Saved, std::nullopt};
    {
        std::optional<Unprivileged> user;
        if (unprivileged) {
            user.emplace();
            if (!user->active())
                QSKIP("no unprivileged user to switch to");
        }
        outcome = w.save(items);
    }
    QVERIFY(QFile::setPermissions(w.folder, readWrite | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

    QCOMPARE(outcome.status, Status::Failed);
    QVERIFY(outcome.failure);
    QCOMPARE(QFileInfo(outcome.failure->path).fileName(), failedFile);
    QVERIFY(!outcome.failure->reason.isEmpty());
    QVERIFY(outcome.failure->message().contains(QDir::toNativeSeparators(outcome.failure->path)));
    if (QFileInfo(w.output()).isFile())
        QCOMPARE(readFile(w.output()), oldOutput);
    if (QFileInfo(w.backup()).isFile())
        QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), before);
}

void TestWriterSave::writeErrorLeavesTheFilesAlone_data()
{
    QTest::addColumn<int>("oldOutputSize");
    QTest::addColumn<QString>("failedFile");

    // The limit is 64 KiB: the new output passes it, or the copy of the old
    // one to the backup does.
    QTest::addRow("new-output") << 100 << "Kelvaro.m3u";
    QTest::addRow("backup-copy") << 100'000 << "Playlist_OLD.m3u";
}

// A file size limit makes writes fail the way a full disk does.
void TestWriterSave::writeErrorLeavesTheFilesAlone()
{
#ifdef Q_OS_UNIX
    QFETCH(int, oldOutputSize);
    QFETCH(QString, failedFile);

    Workspace w;
    QStringList lines{header};
    for (int i = 0; i < 4000; ++i)
        lines << QStringLiteral("#EXTINF:-1,N%1").arg(i) << QStringLiteral("http://u.example/%1").arg(i);
    w.copy = crlfLines(lines);
    writeFile(w.copyPath, w.copy, readWrite);
    const QByteArray previous(oldOutputSize, 'x');
    writeFile(w.output(), previous, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    const QStringList items = failedFile == QLatin1String("Kelvaro.m3u") ? QStringList{"*"} : QStringList{"N1"};

    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &limited), 0);
    const SaveOutcome outcome = w.save(items);
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    QCOMPARE(outcome.status, Status::Failed);
    QVERIFY(outcome.failure);
    QCOMPARE(QFileInfo(outcome.failure->path).fileName(), failedFile);
    QCOMPARE(readFile(w.output()), previous);
    QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
#else
    QSKIP("needs a file size limit");
#endif
}

void TestWriterSave::stopLeavesTheFilesAlone()
{
    Workspace w;
    writeFile(w.output(), oldOutput, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    TimeSlice stop([] { return false; }, 0);
    const QByteArrayView items[] = {"A"};
    const SaveOutcome outcome = savePlaylist(w.folder, QStringLiteral("m3u"), w.copyPath, items, InputMode::Utf8, stop);
    QCOMPARE(outcome.status, Status::Stopped);
    QCOMPARE(readFile(w.output()), oldOutput);
    QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
}

void TestWriterSave::failedWriteIsReported_data()
{
    QTest::addColumn<qint64>("accepted");
    QTest::addColumn<qsizetype>("chunk");

    QTest::addRow("nothing-accepted") << qint64(0) << PlaylistWriter::defaultChunkBytes;
    QTest::addRow("fails-in-header") << qint64(3) << qsizetype(1);
    QTest::addRow("fails-in-the-middle") << qint64(40) << qsizetype(16);
    QTest::addRow("fails-at-last-byte") << qint64(-1) << qsizetype(16);
    QTest::addRow("fails-at-last-byte-one-chunk") << qint64(-1) << PlaylistWriter::defaultChunkBytes;
}

void TestWriterSave::failedWriteIsReported()
{
    QFETCH(qint64, accepted);
    QFETCH(qsizetype, chunk);

    const QByteArray copy = crlfLines({header, entryA, "UA", entryB, "UB", entryC, "UC"});
    const QStringList items{"C", "A", "B"};
    const QByteArray full = reference::writePlaylist(copy, InputMode::Utf8, items);
    writertest::FailingDevice device(accepted < 0 ? full.size() - 1 : accepted);
    TimeSlice slice;
    PlaylistWriter writer(copy, InputMode::Utf8, chunk);
    QCOMPARE(writer.write(views(itemBytes(items, InputMode::Utf8)), device, slice), Outcome::WriteFailed);
    QCOMPARE(device.errorString(), QStringLiteral("device full"));
    QVERIFY(full.startsWith(device.received()));
}

void TestWriterSave::shortWritesAreCompleted()
{
    const QByteArray copy = crlfLines({header, entryA, "UA", entryB, "UB"});
    writertest::FailingDevice device(1 << 20, 3);
    TimeSlice slice;
    PlaylistWriter writer(copy, InputMode::Utf8);
    const QByteArrayView items[] = {"B", "A"};
    QCOMPARE(writer.write(items, device, slice), Outcome::Written);
    QCOMPARE(device.received(), crlfLines({header, entryB, "UB", "#EXTINF:-1,A", "UA"}));
}

QTEST_GUILESS_MAIN(TestWriterSave)
#include "tst_writer_save.moc"
