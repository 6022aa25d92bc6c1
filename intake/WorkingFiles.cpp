#include "intake/WorkingFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString fileName(WorkingFiles::Kind kind)
{
    return kind == WorkingFiles::Kind::Raw ? QStringLiteral("ttemp.kv") : QStringLiteral("temp.kelv");
}

bool isWritableFolder(const QString &path)
{
    const QFileInfo info(path);
    return info.isDir() && info.isWritable();
}

#ifdef Q_OS_UNIX
// A folder only this user can enter: created with mode 0700, or, if it is
// there already, a real folder (no link) of this user's, set back to 0700.
bool preparePrivateFolder(const QString &path)
{
    const QByteArray native = QFile::encodeName(path);
    if (::mkdir(native.constData(), 0700) != 0 && errno != EEXIST)
        return false;
    struct stat st;
    if (::lstat(native.constData(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::geteuid())
        return false;
    if ((st.st_mode & 0777) != 0700 && ::chmod(native.constData(), 0700) != 0)
        return false;
    return true;
}

QString userName()
{
    if (const passwd *pw = ::getpwuid(::geteuid()); pw && pw->pw_name && *pw->pw_name)
        return QString::fromLocal8Bit(pw->pw_name);
    return QString::number(::geteuid());
}

QString privateFolder()
{
    QStringList candidates;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && isWritableFolder(runtime))
        candidates << runtime + QStringLiteral("/kelvaro");
    candidates << QDir::tempPath() + QStringLiteral("/kelvaro-") + userName();
    for (const QString &candidate : std::as_const(candidates)) {
        if (preparePrivateFolder(candidate))
            return candidate;
    }
    return {};
}
#else
QString privateFolder()
{
    const QString folder = QDir::tempPath() + QStringLiteral("/Kelvaro");
    QDir().mkpath(folder);
    return isWritableFolder(folder) ? folder : QString();
}
#endif

} // namespace

QString WorkingFiles::resolveFolder()
{
    const QString temp = qEnvironmentVariable("Temp");
    if (!temp.isEmpty() && isWritableFolder(temp))
        return temp;
    return privateFolder();
}

const QString &WorkingFiles::folder()
{
    if (m_folder.isEmpty())
        m_folder = resolveFolder();
    return m_folder;
}

QString WorkingFiles::path(Kind kind)
{
    if (folder().isEmpty())
        return {};
    // The folder is used as it is, the name appended with the separator.
    return folder() + QDir::separator() + fileName(kind);
}

bool WorkingFiles::exists(Kind kind)
{
    // A dangling link counts: it stands in the way of a new file.
    const QFileInfo info(path(kind));
    return info.exists() || info.isSymLink();
}

std::optional<FileFailure> WorkingFiles::removeIfPresent(Kind kind)
{
    if (!exists(kind))
        return std::nullopt;
    QFile file(path(kind));
    if (file.remove())
        return std::nullopt;
    return FileFailure::of(FileFailure::Action::Delete, file);
}

std::unique_ptr<QFile> WorkingFiles::createNew(Kind kind, std::optional<FileFailure> &failure)
{
    if (folder().isEmpty()) {
        failure = FileFailure{FileFailure::Action::Create, QDir::tempPath() + QDir::separator() + fileName(kind),
                              QStringLiteral("Нет папки для временных файлов.")};
        return nullptr;
    }
    auto file = std::make_unique<QFile>(path(kind));
    // NewOnly is O_CREAT | O_EXCL: it never follows a link at the path.
    if (!file->open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        failure = FileFailure::of(FileFailure::Action::Create, *file);
        return nullptr;
    }
    failure.reset();
    return file;
}
