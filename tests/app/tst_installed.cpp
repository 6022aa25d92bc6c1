// The program installed under a prefix it cannot write to, as a packaged
// program is: what it makes goes to the user's folder and the messages name
// it; nothing is written under the prefix. The same program copied into a
// writable folder writes next to itself.
//
// The test installs the build into a temporary prefix, puts a copy of itself
// beside the installed program (so that it finds itself in the same folder)
// and runs that copy as an ordinary user: the copy starts the window and the
// session exactly as the program does and goes the whole way through them.

#include "app/Form1.h"
#include "app/session/PlaylistSession.h"
#include "common/TestSupport.h"
#include "common/Unprivileged.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/InfoMessage.h"

#ifdef Q_OS_UNIX
#include <grp.h>
#include <unistd.h>
#endif

namespace {

const QByteArray playlist = "#EXTM3U\n#EXTINF:-1,A\nhttp://a\n#EXTINF:-1,B\nhttp://b\n";

// Inside the copy: the whole way through the window; prints the messages.
int goTheWholeWay(const QString &playlistPath)
{
    QStringList messages;
    infoMessage::setHookForTesting([&](QWidget *, const QString &text) { messages << text; });
    PlaylistSession session(QCoreApplication::applicationDirPath());
    Form1 window(session);
    window.show();
    const auto waitForEnd = [&] {
        QSignalSpy ended(&session, &PlaylistSession::finished);
        if (session.isBusy() && !ended.wait(30000))
            qFatal("the operation did not end");
    };
    window.load(playlistPath);
    waitForEnd();
    QTest::mouseClick(window.findChild<QWidget *>(QStringLiteral("Check1")), Qt::LeftButton);
    waitForEnd();
    for (const char *button : {"Command3", "Command2"}) {
        window.findChild<QAbstractButton *>(QLatin1String(button))->click();
        waitForEnd();
    }
    window.findChild<QAction *>(QStringLiteral("krakozyabry"))->trigger();
    QWidget *fix = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        fix = w->objectName() == QLatin1String("Form3") ? w : fix;
    if (!fix)
        return 1;
    fix->findChild<QAbstractButton *>(QStringLiteral("Command1"))->click();
    if (!QTest::qWaitFor([&] { return messages.size() == 2; }, 30000))
        return 1;
    for (const QString &m : std::as_const(messages))
        std::printf("%s\n--\n", m.toUtf8().constData());
    return 0;
}

// Every file under the folder with a hash of its bytes.
QStringList contentsOf(const QString &folder)
{
    QStringList files;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile f(path);
        const QByteArray hash = f.open(QIODevice::ReadOnly)
            ? QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1).toHex()
            : QByteArray("?");
        files << QDir(folder).relativeFilePath(path) + u' ' + QString::fromLatin1(hash);
    }
    files.sort();
    return files;
}

void setWritable(const QString &folder, bool writable)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    QStringList paths{folder};
    while (it.hasNext())
        paths << it.next();
    for (const QString &path : std::as_const(paths)) {
        QFile::Permissions p = QFile::permissions(path);
        const QFile::Permissions write = QFile::WriteOwner | QFile::WriteUser | QFile::WriteGroup | QFile::WriteOther;
        QFile::setPermissions(path, writable ? p | write : p & ~write);
    }
}

} // namespace

class TestInstalled : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void whereOutputsGo_data();
    void whereOutputsGo();
    void loadsThePlaylistOnItsCommandLine();

private:
    // Runs the copy of this test in `folder` as an ordinary user; returns its output.
    QString runCopy(const QString &folder);

    QTemporaryDir m_work;
    QString m_prefix;
    QString m_home;
    QString m_playlist;
};

void TestInstalled::initTestCase()
{
#ifndef Q_OS_UNIX
    QSKIP("installs and permissions as on Linux");
#endif
    m_prefix = m_work.filePath(QStringLiteral("prefix"));
    QProcess install;
    install.start(QStringLiteral(KELVARO_CMAKE), {QStringLiteral("--install"), QStringLiteral(KELVARO_BUILD_DIR),
                                                  QStringLiteral("--prefix"), m_prefix});
    QVERIFY(install.waitForFinished(60000));
    QVERIFY2(install.exitCode() == 0, install.readAllStandardError().constData());
    QVERIFY(QFile::exists(m_prefix + QStringLiteral("/bin/kelvaro")));
    Unprivileged::openUp(m_work.path());
    m_playlist = m_work.filePath(QStringLiteral("list.m3u"));
    QFile f(m_playlist);
    QVERIFY(f.open(QIODevice::WriteOnly) && f.write(playlist) == playlist.size());
}

void TestInstalled::whereOutputsGo_data()
{
    QTest::addColumn<bool>("installed");
    QTest::addRow("installed-read-only") << true;
    QTest::addRow("copied-to-a-writable-folder") << false;
}

void TestInstalled::whereOutputsGo()
{
    QFETCH(bool, installed);
    const QString folder = installed ? m_prefix + QStringLiteral("/bin") : m_work.filePath(QStringLiteral("portable"));
    m_home = m_work.filePath(QStringLiteral("home-%1").arg(installed));
    QVERIFY(QDir().mkpath(m_home));
    Unprivileged::openUp(m_home);
    setWritable(m_prefix, true);
    QVERIFY(QDir().mkpath(folder));
    const QString copy = folder + QStringLiteral("/tst_installed");
    QFile::remove(copy);
    QVERIFY(QFile::copy(QCoreApplication::applicationFilePath(), copy));
    if (installed)
        setWritable(m_prefix, false);
    else
        Unprivileged::openUp(folder);
    const QStringList before = contentsOf(m_prefix);

    const QString output = runCopy(folder);
    setWritable(m_prefix, true);

    const QString documents = m_home + QStringLiteral("/Documents/Kelvaro");
    const QString written = installed ? documents : folder;
    const QString where = installed ? QStringLiteral("в папке:\n") + QDir::toNativeSeparators(documents)
                                    : QStringLiteral("рядом с программой!");
    QCOMPARE(output, QStringLiteral("Плейлист создан %1\n--\nФайл-фикс fix_krakozyabry.cmd создан %1\n--\n").arg(where));
    QFile saved(written + QStringLiteral("/Kelvaro.m3u"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), testsupport::crlfLines({"#EXTM3U", "#EXTINF:-1,A", "http://a", "#EXTINF:-1,B", "http://b"}));
    QVERIFY(QFile::exists(written + QStringLiteral("/fix_krakozyabry.cmd")));
    if (installed)
        QCOMPARE(contentsOf(m_prefix), before);
    else
        QVERIFY(!QFileInfo::exists(documents));
}

// The installed program itself, started by "Open with": its normalised copy
// appears only when the load has gone through.
void TestInstalled::loadsThePlaylistOnItsCommandLine()
{
    QTemporaryDir temp;
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("Temp"), temp.path());
    program.setProcessEnvironment(env);
    program.start(m_prefix + QStringLiteral("/bin/kelvaro"), {m_playlist});
    QVERIFY(program.waitForStarted());
    const auto normalisedCopies = [&] {
        return QDir(temp.path()).entryList({QStringLiteral("kelvaro-*")}, QDir::Dirs).size() == 1
            && QDirIterator(temp.path(), {QStringLiteral("temp.kelv")}, QDir::Files, QDirIterator::Subdirectories).hasNext();
    };
    QTRY_VERIFY_WITH_TIMEOUT(normalisedCopies(), 20000);
    program.kill();
    program.waitForFinished();
}

QString TestInstalled::runCopy(const QString &folder)
{
    QProcess copy;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), m_home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.insert(QStringLiteral("Temp"), m_work.path());
    for (const char *name : {"XDG_RUNTIME_DIR", "XDG_CONFIG_HOME", "XDG_DOCUMENTS_DIR"})
        env.remove(QLatin1String(name));
    copy.setProcessEnvironment(env);
#ifdef Q_OS_UNIX
    // Root writes anywhere: the copy runs as an ordinary user, as people do.
    copy.setChildProcessModifier([] {
        if (::geteuid() == 0) {
            const gid_t nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0)
                ::_exit(3);
        }
    });
#endif
    copy.start(folder + QStringLiteral("/tst_installed"), {QStringLiteral("--inside"), m_playlist});
    if (!copy.waitForFinished(60000) || copy.exitCode() != 0)
        qWarning("the copy failed: %s", copy.readAllStandardError().constData());
    return QString::fromUtf8(copy.readAllStandardOutput());
}

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (app.arguments().size() == 3 && app.arguments().at(1) == QLatin1String("--inside"))
        return goTheWholeWay(app.arguments().at(2));
    TestInstalled test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_installed.moc"
