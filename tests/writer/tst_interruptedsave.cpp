// A save cut off at any moment (the process killed) leaves the previous
// playlist: the output is the old one or the whole new one, the backup is
// the one before or the old output, and nothing else is left in the folder.
// The save runs in a child process, this program started again.
#include "base/Progress.h"
#include "intake/WorkingFiles.h"
#include "writer/PlaylistSave.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>
#include <vector>

namespace {

const char childFolder[] = "KELVARO_SAVE_CHILD_FOLDER";
const QByteArray oldOutput = "old output\r\n";
const QByteArray oldBackup = "old backup\r\n";

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Saves every other channel of a copy of some megabytes into the folder.
Result<> saveLargeList(const QString &folder, const QString &temporaryRoot)
{
    QByteArray copy = "#EXTM3U\r\n";
    std::vector<qint32> entries;
    for (int i = 0; i < 100000; ++i) {
        copy += "#EXTINF:-1,Channel " + QByteArray::number(i) + " HD\r\nhttp://example.invalid/" + QByteArray::number(i) + "\r\n";
        if (i % 2 == 0)
            entries.push_back(i);
    }
    WorkingFiles files(temporaryRoot);
    QFile out(files.path(WorkingFiles::Kind::Normalised));
    if (!out.open(QIODevice::WriteOnly) || out.write(copy) != copy.size() || !out.flush())
        return FileFailure{FileFailure::Action::Write, out.fileName(), out.errorString()};
    Progress progress;
    std::printf("saving\n");
    std::fflush(stdout);
    return savePlaylist(folder, QStringLiteral("m3u"), files, entries, InputMode::Utf8, progress);
}

} // namespace

class TestInterruptedSave : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void killedSaveLosesNothing_data();
    void killedSaveLosesNothing();

private:
    QTemporaryDir m_root;
    QByteArray m_newOutput;
};

void TestInterruptedSave::initTestCase()
{
    const QString folder = m_root.filePath(QStringLiteral("whole"));
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(saveLargeList(folder, m_root.path()));
    m_newOutput = readFile(playlistOutputPath(folder, QStringLiteral("m3u")));
    QVERIFY(m_newOutput.endsWith("http://example.invalid/99998\r\n"));
}

void TestInterruptedSave::killedSaveLosesNothing_data()
{
    QTest::addColumn<int>("delayMs");
    for (const int delay : {0, 10, 25, 50, 100, 200})
        QTest::addRow("after-%d-ms", delay) << delay;
    QTest::addRow("not-killed") << -1;
}

void TestInterruptedSave::killedSaveLosesNothing()
{
    QFETCH(int, delayMs);

    const QString folder = m_root.filePath(QString::fromLatin1(QTest::currentDataTag()));
    QVERIFY(QDir().mkpath(folder));
    const QString output = playlistOutputPath(folder, QStringLiteral("m3u"));
    const QString backup = playlistBackupPath(folder, QStringLiteral("m3u"));
    for (const auto &[path, bytes] : {std::pair{output, oldOutput}, std::pair{backup, oldBackup}}) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size());
    }

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childFolder), folder);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {m_root.path()});
    QVERIFY(child.waitForStarted());
    QVERIFY(QTest::qWaitFor([&] { return child.canReadLine() || child.waitForReadyRead(50); }, 20000));
    QCOMPARE(child.readLine().trimmed(), QByteArray("saving")); // CR LF on Windows
    if (delayMs >= 0) {
        QTest::qSleep(delayMs);
        child.kill();
    }
    QVERIFY(child.waitForFinished(20000));
    if (delayMs < 0)
        QCOMPARE(child.exitCode(), 0);

    const QByteArray nowOutput = readFile(output);
    const QByteArray nowBackup = readFile(backup);
    if (nowOutput == m_newOutput) {
        QCOMPARE(nowBackup, oldOutput);
    } else {
        QVERIFY(delayMs >= 0);
        QCOMPARE(nowOutput, oldOutput);
        // Cut off after the old output became the backup too, or before.
        QVERIFY2(nowBackup == oldBackup || nowBackup == oldOutput, nowBackup.left(40).constData());
    }
    QStringList left = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    if (delayMs >= 0) {
        // Killed between making the old output's second name and moving it
        // over the backup, that name stays: the same bytes once more.
        left.removeIf([](const QString &name) { return name.startsWith(QLatin1String("Playlist_OLD.m3u.kelvaro-")); });
#ifdef Q_OS_WIN
        // Windows has no unnamed files: the new file being written stays too.
        left.removeIf([](const QString &name) { return name.startsWith(QLatin1String("Kelvaro.m3u.")); });
#endif
    }
    QCOMPARE(left.join(u' '), QStringLiteral("Kelvaro.m3u Playlist_OLD.m3u"));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (const QString folder = qEnvironmentVariable(childFolder); !folder.isEmpty())
        return saveLargeList(folder, app.arguments().value(1)) ? 0 : 1;
    TestInterruptedSave test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_interruptedsave.moc"
