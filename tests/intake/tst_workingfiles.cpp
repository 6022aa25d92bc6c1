#include "intake/WorkingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

// Sets an environment variable for the scope of a test.
class EnvironmentVariable
{
public:
    EnvironmentVariable(const char *name, const QByteArray &value)
        : m_name(name)
        , m_old(qgetenv(name))
        , m_wasSet(qEnvironmentVariableIsSet(name))
    {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentVariable()
    {
        if (m_wasSet)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char *m_name;
    QByteArray m_old;
    bool m_wasSet;
};

int mode(const QString &path)
{
#ifdef Q_OS_UNIX
    struct stat st;
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
#else
    Q_UNUSED(path);
    return 0700;
#endif
}

} // namespace

using Kind = WorkingFiles::Kind;

class TestWorkingFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void ownFolderInsideTemp_data();
    void ownFolderInsideTemp();
    void privateFolderWithoutTemp_data();
    void privateFolderWithoutTemp();
    void plantedFolderLinkIsRefused();
    void createNeverFollowsALink();
    void pathsAndRemoval();
    void twoCopiesNeverShareFiles();
    void abandonedFoldersGoRunningOnesStay();
};

void TestWorkingFiles::ownFolderInsideTemp_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addRow("plain") << "";
    QTest::addRow("trailing-separator") << "/";
}

void TestWorkingFiles::ownFolderInsideTemp()
{
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString temp = dir.path() + suffix;
    EnvironmentVariable env("Temp", QFile::encodeName(temp));
    QCOMPARE(WorkingFiles::temporaryFolder(), temp);
    WorkingFiles files;
    QVERIFY(!files.exists(Kind::Raw));
    QVERIFY(QDir(dir.path()).isEmpty()); // nothing made before it is needed
    const QString folder = files.folder();
    QCOMPARE(QFileInfo(folder).dir().canonicalPath(), QDir(dir.path()).canonicalPath());
    QCOMPARE(mode(folder), 0700);
    QCOMPARE(files.path(Kind::Raw), folder + QDir::separator() + QStringLiteral("ttemp.kv"));
    QCOMPARE(files.path(Kind::Normalised), folder + QDir::separator() + QStringLiteral("temp.kelv"));
    files.removeAll();
    QVERIFY(!QFileInfo::exists(folder));
}

void TestWorkingFiles::privateFolderWithoutTemp_data()
{
    QTest::addColumn<QString>("temp"); // "-" for unset
    QTest::addRow("unset") << "-";
    QTest::addRow("empty") << "";
    QTest::addRow("missing-folder") << "/nonexistent/kelvaro-test";
    QTest::addRow("a-file") << "FILE";
}

void TestWorkingFiles::privateFolderWithoutTemp()
{
    QFETCH(QString, temp);
    QTemporaryDir runtime;
    QTemporaryDir scratch;
    QString value = temp;
    if (temp == QLatin1String("FILE")) {
        value = scratch.filePath(QStringLiteral("file"));
        QFile f(value);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    EnvironmentVariable env("Temp", temp == QLatin1String("-") ? QByteArray() : QFile::encodeName(value));
    EnvironmentVariable xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString folder = WorkingFiles::temporaryFolder();
    QVERIFY(!folder.isEmpty());
    QVERIFY(folder != value);
    QVERIFY(QFileInfo(folder).isDir());
#ifdef Q_OS_UNIX
    QCOMPARE(folder, runtime.path() + QStringLiteral("/kelvaro"));
    QCOMPARE(mode(folder), 0700);
    // A folder left open to others by someone is closed again.
    QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7755)));
    QCOMPARE(WorkingFiles::temporaryFolder(), folder);
    QCOMPARE(mode(folder), 0700);
#endif
}

void TestWorkingFiles::plantedFolderLinkIsRefused()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links");
#else
    QTemporaryDir runtime;
    QTemporaryDir elsewhere;
    QVERIFY(QFile::link(elsewhere.path(), runtime.filePath(QStringLiteral("kelvaro"))));
    EnvironmentVariable env("Temp", QByteArray());
    EnvironmentVariable xdg("XDG_RUNTIME_DIR", QFile::encodeName(runtime.path()));
    const QString folder = WorkingFiles::temporaryFolder();
    QVERIFY(!folder.isEmpty());
    QVERIFY(!folder.startsWith(runtime.path()));
    QVERIFY(folder.startsWith(QDir::tempPath() + QStringLiteral("/kelvaro-")));
    QCOMPARE(mode(folder), 0700);
    QVERIFY(QDir(elsewhere.path()).isEmpty());
#endif
}

void TestWorkingFiles::createNeverFollowsALink()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links");
#else
    QTemporaryDir dir;
    WorkingFiles files(dir.path());
    const QString victim = dir.filePath(QStringLiteral("victim"));
    for (bool dangling : {true, false}) {
        if (!dangling) {
            QFile v(victim);
            QVERIFY(v.open(QIODevice::WriteOnly));
            v.write("precious");
        }
        QVERIFY(QFile::link(victim, files.path(Kind::Raw)));
        QVERIFY(files.exists(Kind::Raw));
        const auto created = files.create(Kind::Raw);
        QVERIFY(!created);
        QCOMPARE(created.failure().action, FileFailure::Action::Create);
        QVERIFY(created.failure().message().contains(files.path(Kind::Raw)));
        QCOMPARE(QFileInfo::exists(victim), !dangling);
        // Deleting removes the link, not what it points to.
        QVERIFY(files.remove(Kind::Raw));
        QVERIFY(!files.exists(Kind::Raw));
    }
    QFile v(victim);
    QVERIFY(v.open(QIODevice::ReadOnly));
    QCOMPARE(v.readAll(), QByteArray("precious"));
#endif
}

void TestWorkingFiles::pathsAndRemoval()
{
    QTemporaryDir dir;
    WorkingFiles files(dir.path());
    QVERIFY(files.remove(Kind::Normalised)); // nothing there: nothing to fail
    QCOMPARE(files.open(Kind::Normalised).failure().kind, FileFailure::Kind::NotLoaded);
    auto created = files.create(Kind::Normalised);
    QVERIFY(created);
    (*created)->write("x");
    (*created)->close();
    QVERIFY(files.exists(Kind::Normalised));
    QVERIFY(!files.create(Kind::Normalised)); // never appends to an old one
    auto opened = files.open(Kind::Normalised);
    QVERIFY(opened);
    QCOMPARE((*opened)->readAll(), QByteArray("x"));
    (*opened)->close(); // Windows deletes no open file; the program closes its files first
    QVERIFY(files.remove(Kind::Normalised));
    QVERIFY(!files.exists(Kind::Normalised));
}

// Two running copies with the same temporary folder: each has its own files.
void TestWorkingFiles::twoCopiesNeverShareFiles()
{
    QTemporaryDir dir;
    WorkingFiles first(dir.path());
    WorkingFiles second(dir.path());
    QVERIFY(first.folder() != second.folder());
    auto made = first.create(Kind::Raw);
    QVERIFY(made);
    (*made)->close();
    QVERIFY(!second.exists(Kind::Raw));
    QVERIFY(second.create(Kind::Raw));
    // A new copy starting now leaves both alone.
    WorkingFiles::removeAbandoned(dir.path());
    QVERIFY(first.exists(Kind::Raw));
    QVERIFY(second.exists(Kind::Raw));
}

void TestWorkingFiles::abandonedFoldersGoRunningOnesStay()
{
    QTemporaryDir dir;
    // A copy that crashed: its folder and files stay, its lock is gone (no
    // running process holds it).
    const QString crashed = dir.filePath(QStringLiteral("kelvaro-999999-abc"));
    QVERIFY(QDir().mkdir(crashed));
    for (const char *name : {"ttemp.kv", "temp.kelv"}) {
        QFile f(crashed + u'/' + QLatin1String(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // Not ours by its name, or holding more than working files: left alone.
    const QString foreign = dir.filePath(QStringLiteral("kelvaro-notes"));
    QVERIFY(QDir().mkdir(foreign));
    const QString crowded = dir.filePath(QStringLiteral("kelvaro-999998-abc"));
    QVERIFY(QDir().mkdir(crowded));
    QFile keep(crowded + QStringLiteral("/precious"));
    QVERIFY(keep.open(QIODevice::WriteOnly));
    keep.close();
    WorkingFiles running(dir.path());
    const QString runningFolder = running.folder();

    WorkingFiles::removeAbandoned(dir.path());
    QVERIFY(!QFileInfo::exists(crashed));
    QVERIFY(QFileInfo::exists(foreign));
    QVERIFY(QFileInfo::exists(crowded + QStringLiteral("/precious")));
    QVERIFY(QFileInfo(runningFolder).isDir());
}

QTEST_GUILESS_MAIN(TestWorkingFiles)
#include "tst_workingfiles.moc"
