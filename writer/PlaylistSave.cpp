#include "writer/PlaylistSave.h"

#include "base/Progress.h"
#include "base/WholeFile.h"
#include "intake/WorkingFiles.h"
#include "writer/EarlyWriteback.h"
#include "writer/PlaylistWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <algorithm>
#include <filesystem>

#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>
#endif

namespace {

using Action = FileFailure::Action;

// Small enough to stay in the cache between reading and writing it.
constexpr qsizetype copyChunkBytes = qsizetype(256) << 10;

FileFailure failed(Action action, const QFileDevice &file)
{
    return FileFailure::of(action, file);
}

// Decided by the permission bits rather than by access(): root may write
// anywhere, and a file the user marked read-only must stay as it is anyway.
bool isReadOnly(const QFileInfo &info)
{
    return !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// Windows replaces no file that another program holds open without leave to
// delete it (a player playing the playlist, say). Asking for that right tells
// beforehand, so that neither the output nor the backup is touched in vain.
bool isHeldOpen(const QString &path)
{
#ifdef Q_OS_WIN
    const HANDLE handle = CreateFileW(reinterpret_cast<const wchar_t *>(QDir::toNativeSeparators(path).utf16()),
                                      DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        return false;
    }
    return GetLastError() == ERROR_SHARING_VIOLATION;
#else
    Q_UNUSED(path);
    return false;
#endif
}

// Whether a file may be created or replaced at the path.
Result<> checkTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return FileFailure{Action::Create, path, QStringLiteral("На этом месте находится папка.")};
    if (info.exists() && isReadOnly(info))
        return FileFailure{Action::Replace, path, QStringLiteral("Файл доступен только для чтения.")};
    if (info.exists() && isHeldOpen(path))
        return FileFailure{Action::Replace, path, QStringLiteral("Файл открыт в другой программе. Закройте его там и сохраните снова.")};
    return {};
}

// Windows drops a dot that ends a file name: the name is made without it.
QString nameWith(const QString &folder, QLatin1StringView base, const QString &extension)
{
#ifdef Q_OS_WIN
    if (extension.isEmpty())
        return folder + u'/' + base;
#endif
    return folder + u'/' + base + u'.' + extension;
}

// Copies through a temporary file, so the destination is either the old one
// or a complete copy.
Result<> copyReplacing(const QString &from, const QString &to, Progress &progress)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return failed(Action::Open, in);
    WholeFile out(to);
    if (Result<> opened = out.open(); !opened)
        return opened;
    QByteArray buffer(copyChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return failed(Action::Read, in);
        if (n == 0)
            break;
        if (!writeAll(out.device(), buffer.constData(), n))
            return failed(Action::Write, out.device());
        if (!progress.next())
            return Stopped{};
    }
    return out.commit();
}

std::filesystem::path fileSystemPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

FileFailure replaceFailure(const QString &path, const std::error_code &error)
{
    return FileFailure{Action::Replace, path, QString::fromLocal8Bit(error.message())};
}

// The previous output becomes the backup without a copy of its bytes: a second
// name for the same file, put in place of the old backup at once. A link (to
// its own target, which the new output will replace) or a file system without
// such names gets a copy instead.
Result<> keepAsBackup(const QString &output, const QString &backup, Progress &progress)
{
    if (QFileInfo(output).isSymLink())
        return copyReplacing(output, backup, progress);
    const QString staging = backup + QStringLiteral(".kelvaro-") + QString::number(QRandomGenerator::global()->generate(), 36);
    std::error_code error;
    std::filesystem::create_hard_link(fileSystemPath(output), fileSystemPath(staging), error);
    if (error)
        return copyReplacing(output, backup, progress);
    std::filesystem::rename(fileSystemPath(staging), fileSystemPath(backup), error);
    if (error) {
        QFile::remove(staging);
        return replaceFailure(backup, error);
    }
    return {};
}

// Writes the playlist into the new file and onto the disk, without putting it
// in place.
Result<> writeNewOutput(QFile &copy, WholeFile &file, std::span<const qint32> entries, InputMode mode,
                        Progress &progress)
{
    QByteArray read;
    QByteArrayView bytes;
    if (copy.size() > 0) {
        if (const uchar *mapped = copy.map(0, copy.size())) {
            bytes = QByteArrayView(mapped, copy.size());
        } else {
            read = copy.readAll();
            if (copy.error() != QFileDevice::NoError)
                return failed(Action::Read, copy);
            bytes = read;
        }
    }
    PlaylistWriter writer(bytes, mode);
    // The list was made from this copy; one that holds fewer entries has been
    // changed since.
    if (!entries.empty() && *std::max_element(entries.begin(), entries.end()) >= writer.entryCount())
        return FileFailure{Action::Read, copy.fileName(), QStringLiteral("Рабочий файл не совпадает со списком каналов.")};
    if (Result<> opened = file.open(); !opened)
        return opened;
    EarlyWriteback out(file.device());
    Result<> written = writer.write(entries, out, progress);
    if (!written)
        return written.isStopped() ? written : failed(Action::Write, file.device());
    return file.sync();
}

} // namespace

QString playlistOutputPath(const QString &folder, const QString &extension)
{
    return nameWith(folder, QLatin1StringView("Kelvaro"), extension);
}

QString playlistBackupPath(const QString &folder, const QString &extension)
{
    return nameWith(folder, QLatin1StringView("Playlist_OLD"), extension);
}

Result<> savePlaylist(const QString &folder, const QString &extension, WorkingFiles &files,
                      std::span<const qint32> entries, InputMode mode, Progress &progress)
{
    auto copy = files.open(WorkingFiles::Kind::Normalised);
    if (!copy)
        return copy.failure();

    const QString output = playlistOutputPath(folder, extension);
    const QString backup = playlistBackupPath(folder, extension);
    if (Result<> usable = checkTarget(output); !usable)
        return usable;
    const bool hadOutput = QFileInfo::exists(output);
    if (hadOutput) {
        if (Result<> usable = checkTarget(backup); !usable)
            return usable;
    }

    // The previous output becomes the backup only once the new one is on the
    // disk whole.
    WholeFile file(output);
    if (Result<> written = writeNewOutput(**copy, file, entries, mode, progress); !written)
        return written;
    (*copy)->close(); // unmaps it
    if (hadOutput) {
        if (Result<> kept = keepAsBackup(output, backup, progress); !kept)
            return kept;
    }
    return file.commit();
}
