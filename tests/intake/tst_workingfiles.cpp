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

class TestWorkingFiles : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void tempIsUsedUnchanged_data();
    void tempIsUsedUnchanged();
    void privateFolderWithoutTemp_data();
    void privateFolderWithoutTemp();
    void plantedFolderLinkIsRefused();
    void createNewNeverFollowsALink();
    void pathsAndRemoval();
};

void TestWorkingFiles::tempIsUsedUnchanged_data()
{
    QTest::addColumn<QString>("suffix");
    QTest::addRow("plain") << "";
    QTest::addRow("trailing-separator") << "/";
}

void TestWorkingFiles::tempIsUsedUnchanged()
{
    QFETCH(QString, suffix);
    QTemporaryDir dir;
    const QString temp = dir.path() + suffix;
    EnvironmentVariable env("Temp", QFile::encodeName(temp));
    QCOMPARE(WorkingFiles::resolveFolder(), temp);
    WorkingFiles files;
    QCOMPARE(files.path(WorkingFiles::Kind::Raw), temp + QDir::separator() + QStringLiteral("ttemp.kv"));
    QCOMPARE(files.path(WorkingFiles::Kind::Normalised), temp + QDir::separator() + QStringLiteral("temp.kelv"));
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
    const QString folder = WorkingFiles::resolveFolder();
    QVERIFY(!folder.isEmpty());
    QVERIFY(folder != value);
    QVERIFY(QFileInfo(folder).isDir());
#ifdef Q_OS_UNIX
    QCOMPARE(folder, runtime.path() + QStringLiteral("/kelvaro"));
    QCOMPARE(mode(folder), 0700);
    // A folder left open to others by someone is closed again.
    QVERIFY(QFile::setPermissions(folder, QFile::Permissions(0x7755)));
    QCOMPARE(WorkingFiles::resolveFolder(), folder);
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
    const QString folder = WorkingFiles::resolveFolder();
    QVERIFY(!folder.isEmpty());
    QVERIFY(!folder.startsWith(runtime.path()));
    QVERIFY(folder.startsWith(QDir::tempPath() + QStringLiteral("/kelvaro-")));
    QCOMPARE(mode(folder), 0700);
    QVERIFY(QDir(elsewhere.path()).isEmpty());
#endif
}

void TestWorkingFiles::createNewNeverFollowsALink()
{
#ifndef Q_OS_UNIX
    QSKIP("symbolic links");
#else
    QTemporaryDir dir;
    EnvironmentVariable env("Temp", QFile::encodeName(dir.path()));
    WorkingFiles files;
    const QString victim = dir.filePath(QStringLiteral("victim"));
    for (bool dangling : {true, false}) {
        if (!dangling) {
            QFile v(victim);
            QVERIFY(v.open(QIODevice::WriteOnly));
            v.write("precious");
        }
        QVERIFY(QFile::link(victim, files.path(WorkingFiles::Kind::Raw)));
        QVERIFY(files.exists(WorkingFiles::Kind::Raw));
        std::optional<FileFailure> failure;
        QVERIFY(!files.createNew(WorkingFiles::Kind::Raw, failure));
        QVERIFY(failure);
        QCOMPARE(failure->action, FileFailure::Action::Create);
        QVERIFY(failure->message().contains(files.path(WorkingFiles::Kind::Raw)));
        QCOMPARE(QFileInfo::exists(victim), !dangling);
        // Deleting removes the link, not what it points to.
        QVERIFY(!files.removeIfPresent(WorkingFiles::Kind::Raw));
        QVERIFY(!files.exists(WorkingFiles::Kind::Raw));
    }
    QFile v(victim);
    QVERIFY(v.open(QIODevice::ReadOnly));
    QCOMPARE(v.readAll(), QByteArray("precious"));
#endif
}

void TestWorkingFiles::pathsAndRemoval()
{
    QTemporaryDir dir;
    EnvironmentVariable env("Temp", QFile::encodeName(dir.path()));
    WorkingFiles files;
    QVERIFY(!files.removeIfPresent(WorkingFiles::Kind::Normalised)); // nothing there: nothing to fail
    std::optional<FileFailure> failure;
    auto file = files.createNew(WorkingFiles::Kind::Normalised, failure);
    QVERIFY(file);
    QVERIFY(!failure);
    file->write("x");
    file->close();
    QVERIFY(files.exists(WorkingFiles::Kind::Normalised));
    QVERIFY(!files.createNew(WorkingFiles::Kind::Normalised, failure)); // never appends to an old one
    QVERIFY(!files.removeIfPresent(WorkingFiles::Kind::Normalised));
    QVERIFY(!files.exists(WorkingFiles::Kind::Normalised));
}

QTEST_GUILESS_MAIN(TestWorkingFiles)
#include "tst_workingfiles.moc"
