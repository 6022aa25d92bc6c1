#include "intake/WorkingFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

using Action = FileFailure::Action;

const QString folderPrefix = QStringLiteral("kelvaro-");
const QString lockSuffix = QStringLiteral(".lock");

QString fileName(WorkingFiles::Kind kind)
{
    return kind == WorkingFiles::Kind::Raw ? QStringLiteral("ttemp.kv") : QStringLiteral("temp.kelv");
}

bool isWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

// A folder only this user can enter: created with mode 0700, or, if it is
// there already, a real folder (no link) of this user's, set back to 0700.
bool preparePrivateFolder(const QString &path)
{
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    return (st.st_mode & 0777) == 0700 || ::chmod(native.constData(), 0700) == 0;
#else
    QDir().mkpath(path);
    return isWritableFolder(path) && !QFileInfo(path).isSymLink();
#endif
}

#ifdef Q_OS_UNIX
QString userName()
{
    if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(::geteuid());
}
#endif

QString privateFolder()
{
    QStringList candidates;
#ifdef Q_OS_UNIX
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isWritableFolder(runtime))
        candidates << runtime + QStringLiteral("/kelvaro");
    candidates << QDir::tempPath() + QStringLiteral("/kelvaro-") + userName();
#else
    candidates << QDir::tempPath() + QStringLiteral("/Kelvaro");
#endif
    for (const QString &candidate : std::as_const(candidates)) {
        if (preparePrivateFolder(candidate))
            return candidate;
    }
    return {};
}

// A lock that a running copy holds for as long as it runs, however long: it
// is stale only when its process is gone.
std::unique_ptr<QLockFile> lockFor(const QString &folder)
{
    auto lock = std::make_unique<QLockFile>(folder + lockSuffix);
    lock->setStaleLockTime(0);
    return lock;
}

// "kelvaro-<process id>-<random>", as makeFolder() names them.
bool isCopyFolderName(const QString &name)
{
    static const QRegularExpression pattern(QStringLiteral("^kelvaro-[0-9]+-[0-9a-z]+$"));
    return pattern.match(name).hasMatch();
}

// Only the working files and then the folder itself, if that leaves it
// empty: whatever else someone put there stays.
void removeCopyFolder(const QString &folder)
{
    const QFileInfo info(folder);
    if (!info.isDir() || info.isSymLink())
        return;
    for (WorkingFiles::Kind kind : {WorkingFiles::Kind::Normalised, WorkingFiles::Kind::Raw})
        QFile::remove(folder + QDir::separator() + fileName(kind));
    QDir().rmdir(folder);
}

// The regular file at the path opened for writing from its start, not cut;
// null when it is anything else or cannot be opened so.
std::unique_ptr<QFile> openForWritingOver(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile() || info.isSymLink())
        return nullptr;
    auto file = std::make_unique<QFile>(path);
    // Read and write: the file is not cut on opening.
    if (!file->open(QIODevice::ReadWrite | QIODevice::ExistingOnly | QIODevice::Unbuffered))
        return nullptr;
#ifdef Q_OS_UNIX
    // What was opened must be the file looked at: a link put in its place in
    // between is not followed.
    struct stat opened;
    struct stat looked;
    if (::fstat(file->handle(), &opened) != 0 || ::lstat(QFile::encodeName(path).constData(), &looked) != 0
        || !S_ISREG(opened.st_mode) || opened.st_ino != looked.st_ino || opened.st_dev != looked.st_dev)
        return nullptr;
#endif
    return file;
}

} // namespace

WorkingFiles::WorkingFiles(const QString &temporaryFolder)
    : m_base(temporaryFolder)
{
}

WorkingFiles::~WorkingFiles()
{
    removeAll();
}

QString WorkingFiles::temporaryFolder()
{
    const QString temp = qEnvironmentVariable("Temp");
    if (!temp.isEmpty() && isWritableFolder(temp))
        return temp;
    return privateFolder();
}

void WorkingFiles::removeAbandoned(const QString &base)
{
    if (base.isEmpty())
        return;
    const QStringList folders = QDir(base).entryList({folderPrefix + u'*'}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString &name : folders) {
        if (!isCopyFolderName(name))
            continue;
        const QString folder = base + u'/' + name;
        auto lock = lockFor(folder);
        // Taken only when no running copy holds it.
        if (!lock->tryLock(0))
            continue;
        removeCopyFolder(folder);
        lock->unlock();
    }
}

Result<> WorkingFiles::makeFolder()
{
    const QString base = m_base.isEmpty() ? temporaryFolder() : m_base;
    if (base.isEmpty())
        return FileFailure{Action::Create, QDir::tempPath(), QStringLiteral("Нет папки для временных файлов.")};
    // The lock comes first: a folder without a held lock is an abandoned one.
    for (int attempt = 0; attempt < 8; ++attempt) {
        const QString folder = base + u'/' + folderPrefix + QString::number(QCoreApplication::applicationPid())
            + u'-' + QString::number(QRandomGenerator::global()->generate(), 36);
        auto lock = lockFor(folder);
        errno = 0;
        if (!lock->tryLock(0)) {
            if (lock->error() == QLockFile::LockFailedError)
                continue; // another copy's name, by chance
            const int error = errno;
            return FileFailure{Action::Create, folder + lockSuffix,
                               error ? qt_error_string(error) : QStringLiteral("В эту папку нельзя записать файл.")};
        }
        errno = 0;
        if (preparePrivateFolder(folder)) {
            m_folder = folder;
            m_lock = std::move(lock);
            return {};
        }
        const int error = errno;
        lock->unlock();
        return FileFailure{Action::Create, folder,
                           error ? qt_error_string(error) : QStringLiteral("Папку нельзя сделать личной.")};
    }
    return FileFailure{Action::Create, base, QStringLiteral("В эту папку нельзя записать файл.")};
}

QString WorkingFiles::folder()
{
    if (m_folder.isEmpty())
        (void)makeFolder();
    return m_folder;
}

QString WorkingFiles::path(Kind kind)
{
    const QString f = folder();
    return f.isEmpty() ? QString() : f + QDir::separator() + fileName(kind);
}

bool WorkingFiles::exists(Kind kind) const
{
    if (m_folder.isEmpty())
        return false;
    const QFileInfo info(m_folder + QDir::separator() + fileName(kind));
    return info.exists() || info.isSymLink();
}

Result<> WorkingFiles::remove(Kind kind)
{
    if (!exists(kind))
        return {};
    QFile file(m_folder + QDir::separator() + fileName(kind));
    if (file.remove())
        return {};
    return FileFailure::of(Action::Delete, file);
}

Result<std::unique_ptr<QFile>> WorkingFiles::create(Kind kind)
{
    if (m_folder.isEmpty()) {
        if (Result<> made = makeFolder(); !made)
            return made.failure();
    }
    const QString target = path(kind);
    auto file = std::make_unique<QFile>(target);
    // NewOnly is O_CREAT | O_EXCL: it never follows a link at the path. The
    // passes write large blocks, which need no buffer of the device's own.
    if (!file->open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return FileFailure::of(Action::Create, *file);
    return file;
}

Result<std::unique_ptr<QFile>> WorkingFiles::rewrite(Kind kind)
{
    if (!exists(kind))
        return FileFailure::notLoaded(path(kind));
    if (std::unique_ptr<QFile> file = openForWritingOver(path(kind)))
        return file;
    if (Result<> removed = remove(kind); !removed)
        return removed.failure();
    return create(kind);
}

Result<std::unique_ptr<QFile>> WorkingFiles::open(Kind kind)
{
    if (!exists(kind))
        return FileFailure::notLoaded(path(kind));
    return openForReading(path(kind));
}

void WorkingFiles::removeAll()
{
    if (m_folder.isEmpty())
        return;
    removeCopyFolder(m_folder);
    m_lock.reset();
    m_folder.clear();
}

Result<std::unique_ptr<QFile>> openForReading(const QString &path)
{
    auto file = std::make_unique<QFile>(path);
    const QFileInfo info(path);
    if (!info.isFile()) {
        const QString reason = info.exists() ? QStringLiteral("Это не файл.") : QStringLiteral("Файл не найден.");
        return FileFailure{Action::Open, path, reason};
    }
    // The passes read large blocks, which need no buffer of the device's own.
    if (!file->open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return FileFailure::of(Action::Open, *file);
    return file;
}
