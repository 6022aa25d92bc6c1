// Memory that runs short ends an operation with a message, never the
// program, and a line far longer than memory allows for is still loaded and
// written whole. Each case runs in a child process, this program started
// again, whose address space is limited to what it uses at the start and a
// headroom.
#include "common/SessionDriver.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define KELVARO_SANITIZED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVARO_SANITIZED 1
#endif
#endif

namespace {

const char childPlaylist[] = "KELVARO_MEMORY_CHILD_PLAYLIST";
const char childHeadroom[] = "KELVARO_MEMORY_CHILD_HEADROOM_MB";
constexpr qsizetype longLine = 200 << 20;

#ifdef Q_OS_LINUX
// Loads, ticks all, creates and saves under the limit; prints what it saw.
int runChild(const QString &playlist, qint64 headroomMb)
{
    SessionDriver driver;
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 2;
    const qint64 used = statm.readAll().split(' ').value(0).toLongLong() * sysconf(_SC_PAGESIZE);
    const rlimit limit{rlim_t(used + (headroomMb << 20)), rlim_t(used + (headroomMb << 20))};
    if (setrlimit(RLIMIT_AS, &limit) != 0)
        return 2;

    driver.load(playlist);
    const qsizetype channels = driver.session().sourceList().count();
    if (channels > 0) {
        driver.selectAll(true);
        driver.create();
        driver.save();
    }
    std::printf("channels %lld\n", static_cast<long long>(channels));
    for (const QString &text : driver.takeMessages())
        std::printf("%s\n", text.toUtf8().constData());
    std::printf("saved %lld\n", static_cast<long long>(QFile(driver.programFolder() + QStringLiteral("/Kelvaro.m3u")).size()));
    return 0;
}
#endif

} // namespace

class TestMemoryLimit : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void endsWithAMessage_data();
    void endsWithAMessage();

private:
    QTemporaryDir m_folder;
};

void TestMemoryLimit::initTestCase()
{
#if !defined(Q_OS_LINUX)
    QSKIP("the child's address space is limited through Linux's /proc and setrlimit");
#elif defined(KELVARO_SANITIZED)
    QSKIP("AddressSanitizer reserves more address space than any limit allows");
#endif
    QVERIFY(m_folder.isValid());
}

void TestMemoryLimit::endsWithAMessage_data()
{
    QTest::addColumn<QByteArray>("playlist");
    QTest::addColumn<int>("headroomMb");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray name(longLine, 'N');
    // The save maps the working copy, which takes its size in address space,
    // and each thread's memory pool reserves some more; the old reading did
    // not get by with four times the line.
    QTest::addRow("long-name") << "#EXTM3U\n#EXTINF:-1," + name + "\nhttp://a.invalid/\n" << 450
                               << "channels 1\nПлейлист создан рядом с программой!\nsaved "
                                      + QByteArray::number(longLine + 41) + '\n';
    QTest::addRow("no-line-breaks") << QByteArray(longLine, 'x') << 100
                                    << QByteArray("channels 0\nsaved 0\n");

    QByteArray many = "#EXTM3U\n";
    for (int i = 0; i < 300000; ++i)
        many += "#EXTINF:-1,Channel " + QByteArray::number(i) + "\nhttp://a.invalid/" + QByteArray::number(i) + '\n';
    QTest::addRow("too-little-for-the-list") << many << 4
                                             << QByteArray("channels 0\nНе хватает памяти: операция прервана.\nsaved 0\n");
}

void TestMemoryLimit::endsWithAMessage()
{
    QFETCH(QByteArray, playlist);
    QFETCH(int, headroomMb);
    QFETCH(QByteArray, expected);

    const QString path = m_folder.filePath(QString::fromLatin1(QTest::currentDataTag()) + QStringLiteral(".m3u"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(playlist) == playlist.size());
    file.close();
    playlist.clear();

    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QString::fromLatin1(childPlaylist), path);
    environment.insert(QString::fromLatin1(childHeadroom), QString::number(headroomMb));
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(120000));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(child.readAllStandardOutput()), QString::fromUtf8(expected));
}

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
#ifdef Q_OS_LINUX
    if (const QString playlist = qEnvironmentVariable(childPlaylist); !playlist.isEmpty())
        return runChild(playlist, qEnvironmentVariableIntValue(childHeadroom));
#endif
    TestMemoryLimit test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_memorylimit.moc"
