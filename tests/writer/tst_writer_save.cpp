#include "common/SmallDisk.h"
#include "common/Unprivileged.h"
#include "reference/ReferenceWriter.h"
#include "WriterTestSupport.h"

#include "base/Progress.h"
#include "intake/WorkingFiles.h"
#include "writer/PlaylistSave.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <numeric>

#ifdef Q_OS_WIN
#include <windows.h>
#endif
#ifdef Q_OS_LINUX
#include <unistd.h>
#endif


using writertest::crlfLines;
using Kind = FileFailure::Kind;

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

// A file held open as a player holds the playlist it plays: others may read
// and write it, but not delete or replace it (on Windows; elsewhere nothing).
class HeldOpen
{
public:
    explicit HeldOpen(const QString &path)
    {
#ifdef Q_OS_WIN
        m_handle = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ,
                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
#else
        Q_UNUSED(path);
#endif
    }
    ~HeldOpen()
    {
#ifdef Q_OS_WIN
        if (m_handle != INVALID_HANDLE_VALUE)
            CloseHandle(m_handle);
#endif
    }
    HeldOpen(const HeldOpen &) = delete;
    HeldOpen &operator=(const HeldOpen &) = delete;

private:
#ifdef Q_OS_WIN
    HANDLE m_handle = INVALID_HANDLE_VALUE;
#endif
};

// A program folder with a normalised copy beside it, all usable by the
// unprivileged user the tests may switch to.
class Workspace
{
public:
    Workspace()
    {
        folder = root.filePath(QStringLiteral("program"));
        QDir().mkpath(folder);
        Unprivileged::openUp(root.path());
        Unprivileged::openUp(folder);
        Unprivileged::openUp(workingFiles.folder());
        copyPath = workingFiles.path(WorkingFiles::Kind::Normalised);
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
    [[nodiscard]] Result<> save(const QList<qint32> &entries, const QString &extension = QStringLiteral("m3u"))
    {
        Progress progress;
        return save(entries, extension, progress);
    }
    [[nodiscard]] Result<> save(const QList<qint32> &entries, const QString &extension, Progress &progress)
    {
        return savePlaylist(folder, extension, workingFiles, entries, InputMode::Utf8, progress);
    }

    QTemporaryDir root;
    WorkingFiles workingFiles{root.path()};
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
    void backupIsACopyWhereNoLinkCanBeMade();
    void emptyListWritesTheHeader();
    void missingCopyIsNoPlaylist_data();
    void missingCopyIsNoPlaylist();
    void failureLeavesTheFilesAlone_data();
    void failureLeavesTheFilesAlone();
    void writeErrorLeavesTheFilesAlone_data();
    void writeErrorLeavesTheFilesAlone();
    void fullDiskLosesNothing_data();
    void fullDiskLosesNothing();
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
#ifdef Q_OS_WIN
    QTest::addRow("no-extension") << "" << "Kelvaro"; // Windows has no names ending with a dot
#else
    QTest::addRow("no-extension") << "" << "Kelvaro.";
#endif
}

void TestWriterSave::savesTheOutput()
{
    QFETCH(QString, extension);
    QFETCH(QString, fileName);

    Workspace w;
    QVERIFY(w.save({1, 0}, extension));
    QCOMPARE(w.files(), QStringList{fileName});
    QCOMPARE(readFile(w.folder + u'/' + fileName), crlfLines({header, entryB, "UB", "#EXTINF:-1,A", "UA"}));
}

void TestWriterSave::secondSaveMakesTheFirstTheBackup()
{
    Workspace w;
    writeFile(w.output(QStringLiteral("m3u")), oldOutput, readWrite);
    QVERIFY(w.save({0}, QStringLiteral("m3u8")));
    QVERIFY(w.save({1}, QStringLiteral("m3u8")));

    QCOMPARE(readFile(w.output(QStringLiteral("m3u8"))), crlfLines({header, entryB, "UB"}));
    QCOMPARE(readFile(w.backup(QStringLiteral("m3u8"))), crlfLines({header, "#EXTINF:-1,A", "UA"}));
    QCOMPARE(readFile(w.output(QStringLiteral("m3u"))), oldOutput);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Kelvaro.m3u8", "Playlist_OLD.m3u8"}));
}

// FAT32 sticks have no hard links. Here the link is refused as Linux refuses
// it to a user who may not write the file (protected hard links).
void TestWriterSave::backupIsACopyWhereNoLinkCanBeMade()
{
#ifndef Q_OS_LINUX
    QSKIP("Linux's protected hard links stand in for a file system without links");
#else
    QFile protectedLinks(QStringLiteral("/proc/sys/fs/protected_hardlinks"));
    if (!protectedLinks.open(QIODevice::ReadOnly) || protectedLinks.readAll().trimmed() != "1")
        QSKIP("hard links are not protected here");
    Workspace w;
    // Root's, and no one else may write it.
    writeFile(w.output(), oldOutput, readWrite & ~(QFile::WriteGroup | QFile::WriteOther));
    Result<> saved;
    {
        const Unprivileged user;
        if (!user.active() || QFileInfo(w.output()).ownerId() == ::geteuid())
            QSKIP("needs root to own the previous output and an unprivileged user to save");
        saved = w.save({1});
    }
    QVERIFY2(saved, qPrintable(saved ? QString() : saved.failure().message()));
    QCOMPARE(readFile(w.output()), crlfLines({header, entryB, "UB"}));
    QCOMPARE(readFile(w.backup()), oldOutput);
    QVERIFY(QFileInfo(w.backup()).ownerId() != 0); // a copy: a second name would be root's
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
#endif
}

void TestWriterSave::emptyListWritesTheHeader()
{
    Workspace w;
    writeFile(w.output(), oldOutput, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    QVERIFY(w.save({}));
    QCOMPARE(readFile(w.output()), "#EXTM3U\r\n");
    QCOMPARE(readFile(w.backup()), oldOutput);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
}

void TestWriterSave::missingCopyIsNoPlaylist_data()
{
    QTest::addColumn<QList<qint32>>("entries");

    QTest::addRow("with-items") << QList<qint32>{0};
    QTest::addRow("empty-list") << QList<qint32>{};
}

void TestWriterSave::missingCopyIsNoPlaylist()
{
    QFETCH(QList<qint32>, entries);

    Workspace w;
    writeFile(w.output(), oldOutput, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    QVERIFY(QFile::remove(w.copyPath));
    const Result<> saved = w.save(entries);
    QCOMPARE(saved.failure().kind, Kind::NotLoaded);
    QCOMPARE(readFile(w.output()), oldOutput);
    QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
}

void TestWriterSave::failureLeavesTheFilesAlone_data()
{
    QTest::addColumn<QString>("setup");
    QTest::addColumn<bool>("unprivileged");
    QTest::addColumn<QList<qint32>>("entries");
    QTest::addColumn<QString>("failedFile"); // in the program folder; empty: the folder's temporary file

    const QList<qint32> items{0};
    const QList<qint32> none;
    QTest::addRow("read-only-folder") << "read-only-folder" << true << items << "Kelvaro.m3u";
    QTest::addRow("read-only-folder-empty-list") << "read-only-folder" << true << none << "Kelvaro.m3u";
    QTest::addRow("folder-at-output") << "folder-at-output" << false << items << "Kelvaro.m3u";
    QTest::addRow("folder-at-backup") << "folder-at-backup" << false << items << "Playlist_OLD.m3u";
    QTest::addRow("folder-at-backup-empty-list") << "folder-at-backup" << false << none << "Playlist_OLD.m3u";
    for (const bool unprivileged : {false, true}) {
        const char *who = unprivileged ? "unprivileged" : "as-is";
        QTest::addRow("read-only-output-%s", who) << "read-only-output" << unprivileged << items << "Kelvaro.m3u";
        QTest::addRow("read-only-output-empty-list-%s", who)
            << "read-only-output" << unprivileged << none << "Kelvaro.m3u";
        QTest::addRow("read-only-backup-%s", who) << "read-only-backup" << unprivileged << items << "Playlist_OLD.m3u";
    }
    QTest::addRow("held-open-output") << "held-open-output" << false << items << "Kelvaro.m3u";
    QTest::addRow("held-open-backup") << "held-open-backup" << false << items << "Playlist_OLD.m3u";
}

// Each failure ends before anything is replaced: the previous output and
// backup keep their bytes and no temporary file stays behind.
void TestWriterSave::failureLeavesTheFilesAlone()
{
    QFETCH(QString, setup);
    QFETCH(bool, unprivileged);
    QFETCH(QList<qint32>, entries);
    QFETCH(QString, failedFile);

#ifndef Q_OS_WIN
    if (setup.startsWith(QLatin1String("held-open")))
        QSKIP("only Windows refuses to replace a file that is open");
#endif
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

    Result<> saved;
    {
        std::optional<HeldOpen> held;
        if (setup.startsWith(QLatin1String("held-open")))
            held.emplace(setup.endsWith(QLatin1String("backup")) ? w.backup() : w.output());
        std::optional<Unprivileged> user;
        if (unprivileged) {
            user.emplace();
            if (!user->active())
                QSKIP("no unprivileged user to switch to");
        }
        saved = w.save(entries);
    }
    QVERIFY(QFile::setPermissions(w.folder, readWrite | QFile::ExeOwner | QFile::ExeGroup | QFile::ExeOther));

    QVERIFY(!saved);
    const FileFailure &failure = saved.failure();
    QCOMPARE(failure.kind, Kind::Failed);
    QCOMPARE(QFileInfo(failure.path).fileName(), failedFile);
    QVERIFY(!failure.reason.isEmpty());
    QVERIFY(failure.message().contains(QDir::toNativeSeparators(failure.path)));
    if (QFileInfo(w.output()).isFile())
        QCOMPARE(readFile(w.output()), oldOutput);
    if (QFileInfo(w.backup()).isFile())
        QCOMPARE(readFile(w.backup()), oldBackup);
    QCOMPARE(w.files(), before);
}

void TestWriterSave::writeErrorLeavesTheFilesAlone_data()
{
    QTest::addColumn<int>("oldOutputSize");
    QTest::addColumn<bool>("linkedOutput");
    QTest::addColumn<QString>("failedFile"); // empty: the save goes through

    // The limit is 64 KiB: the new output passes it, or a copy of the old one
    // to the backup would. The backup is a second name of the old output, so
    // nothing is copied, except for an output that is a link to elsewhere.
    QTest::addRow("new-output") << 100 << false << "Kelvaro.m3u";
    QTest::addRow("backup-without-copy") << 100'000 << false << "";
    QTest::addRow("backup-copy-of-a-linked-output") << 100'000 << true << "Playlist_OLD.m3u";
}

// A file size limit makes writes fail the way a full disk does.
void TestWriterSave::writeErrorLeavesTheFilesAlone()
{
#ifdef Q_OS_UNIX
    QFETCH(int, oldOutputSize);
    QFETCH(bool, linkedOutput);
    QFETCH(QString, failedFile);

    Workspace w;
    QStringList lines{header};
    for (int i = 0; i < 4000; ++i)
        lines << QStringLiteral("#EXTINF:-1,N%1").arg(i) << QStringLiteral("http://u.example/%1").arg(i);
    w.copy = crlfLines(lines);
    writeFile(w.copyPath, w.copy, readWrite);
    const QByteArray previous(oldOutputSize, 'x');
    if (linkedOutput) {
        const QString elsewhere = w.root.filePath(QStringLiteral("elsewhere.m3u"));
        writeFile(elsewhere, previous, readWrite);
        QVERIFY(QFile::link(elsewhere, w.output()));
    } else {
        writeFile(w.output(), previous, readWrite);
    }
    writeFile(w.backup(), oldBackup, readWrite);
    QList<qint32> entries{1};
    if (failedFile == QLatin1String("Kelvaro.m3u")) {
        entries.resize(4000);
        std::iota(entries.begin(), entries.end(), 0);
    }

    Result<> result;
    {
        const FileSizeLimit limit(64 * 1024);
        QVERIFY(limit.active());
        result = w.save(entries);
    }

    QCOMPARE(w.files(), (QStringList{"Kelvaro.m3u", "Playlist_OLD.m3u"}));
    if (failedFile.isEmpty()) {
        QVERIFY(result);
        QCOMPARE(readFile(w.backup()), previous);
        QCOMPARE(readFile(w.output()), crlfLines({header, "#EXTINF:-1,N1", "http://u.example/1"}));
        return;
    }
    QVERIFY(!result);
    QCOMPARE(result.failure().kind, Kind::Failed);
    QCOMPARE(QFileInfo(result.failure().path).fileName(), failedFile);
    QCOMPARE(readFile(w.output()), previous);
    QCOMPARE(readFile(w.backup()), oldBackup);
#else
    QSKIP("needs a file size limit");
#endif
}

void TestWriterSave::fullDiskLosesNothing_data()
{
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("shortBy"); // the new output misses this much room; -1: the disk is full already
    QTest::addColumn<bool>("linkedOutput");

    QTest::addRow("cut-in-its-last-bytes") << 10300 << 1000 << false;
    QTest::addRow("cut-in-its-last-buffer") << 10300 << 20000 << false;
    QTest::addRow("disk-full-already") << 100 << -1 << false;
    QTest::addRow("linked-output-disk-full") << 100 << -1 << true;
}

// The program folder on a disk that fills up during the save: the save
// fails, and the previous output and backup keep every byte.
void TestWriterSave::fullDiskLosesNothing()
{
    QFETCH(int, channels);
    QFETCH(int, shortBy);
    QFETCH(bool, linkedOutput);

    SmallDisk disk(1 << 20);
    KELVARO_REQUIRE_SMALL_DISK(disk);
    QTemporaryDir work;
    WorkingFiles files(work.path());
    QStringList lines{header};
    for (int i = 0; i < channels; ++i)
        lines << QStringLiteral("#EXTINF:-1,Ch%1").arg(i) << QStringLiteral("http://example.invalid/Ch%1.m3u8").arg(i);
    writeFile(files.path(WorkingFiles::Kind::Normalised), crlfLines(lines), readWrite);
    QList<qint32> entries(channels);
    std::iota(entries.begin(), entries.end(), 0);
    const qint64 newSize = crlfLines(lines).size();

    const QString output = playlistOutputPath(disk.path(), QStringLiteral("m3u"));
    const QString backup = playlistBackupPath(disk.path(), QStringLiteral("m3u"));
    const QByteArray previous(10 * 1024, 'p');
    const QString target = work.filePath(QStringLiteral("elsewhere.m3u"));
    if (linkedOutput) {
        writeFile(target, previous, readWrite);
        QVERIFY(QFile::link(target, output));
    } else {
        writeFile(output, previous, readWrite);
    }
    writeFile(backup, oldBackup, readWrite);
    disk.fillUpTo(shortBy < 0 ? 0 : newSize - shortBy);

    Progress progress;
    const Result<> saved = savePlaylist(disk.path(), QStringLiteral("m3u"), files, entries, InputMode::Utf8, progress);
    QVERIFY(!saved);
    QCOMPARE(saved.failure().kind, Kind::Failed);
    QVERIFY(!saved.failure().reason.isEmpty());
    QCOMPARE(readFile(linkedOutput ? target : output), previous);
    QCOMPARE(readFile(backup), oldBackup);
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden | QDir::System),
             (QStringList{".filler", "Kelvaro.m3u", "Playlist_OLD.m3u"}));
    // Nor is a temporary file left beside the link's target.
    QCOMPARE(QDir(work.path()).entryList({QStringLiteral("*.m3u*")}, QDir::Files | QDir::Hidden | QDir::System),
             linkedOutput ? QStringList{"elsewhere.m3u"} : QStringList());
}

void TestWriterSave::stopLeavesTheFilesAlone()
{
    Workspace w;
    writeFile(w.output(), oldOutput, readWrite);
    writeFile(w.backup(), oldBackup, readWrite);
    Progress stop([] { return false; }, 0);
    const Result<> saved = w.save({0}, QStringLiteral("m3u"), stop);
    QVERIFY(saved.isStopped());
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

    const QByteArray playlist = crlfLines({header, entryA, "UA", entryB, "UB", entryC, "UC"});
    const QList<int> entries{2, 0, 1};
    const QByteArray full = reference::writePlaylist(playlist, InputMode::Utf8, entries);
    writertest::FailingDevice device(accepted < 0 ? full.size() - 1 : accepted);
    Progress progress;
    const QByteArray copy = writertest::normalisedCopy(playlist, InputMode::Utf8).bytes;
    PlaylistWriter writer(copy, InputMode::Utf8, chunk);
    const qint32 indexes[] = {2, 0, 1};
    const Result<> written = writer.write(indexes, device, progress);
    QVERIFY(!written);
    QCOMPARE(written.failure().action, FileFailure::Action::Write);
    QCOMPARE(written.failure().reason, QStringLiteral("device full"));
    QVERIFY(full.startsWith(device.received()));
    QCOMPARE(device.writesAfterFailure(), 0);
}

void TestWriterSave::shortWritesAreCompleted()
{
    const QByteArray copy = crlfLines({header, entryA, "UA", entryB, "UB"});
    writertest::FailingDevice device(1 << 20, 3);
    Progress progress;
    PlaylistWriter writer(copy, InputMode::Utf8);
    const qint32 entries[] = {1, 0};
    QVERIFY(writer.write(entries, device, progress));
    QCOMPARE(device.received(), crlfLines({header, entryB, "UB", "#EXTINF:-1,A", "UA"}));
}

QTEST_GUILESS_MAIN(TestWriterSave)
#include "tst_writer_save.moc"
