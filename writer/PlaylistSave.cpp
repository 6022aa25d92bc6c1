#include "writer/PlaylistSave.h"

#include "app/TimeSlice.h"
#include "writer/PlaylistWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

using Action = FileFailure::Action;
using Status = SaveOutcome::Status;

// Small enough to stay in the cache between reading and writing it.
constexpr qsizetype copyChunkBytes = qsizetype(256) << 10;

SaveOutcome failed(FileFailure failure)
{
    return {Status::Failed, std::move(failure)};
}

SaveOutcome failed(Action action, const QFileDevice &file)
{
    return failed(FileFailure::of(action, file));
}

// Decided by the permission bits rather than by access(): root may write
// anywhere, and a file the user marked read-only must stay as it is anyway.
bool isReadOnly(const QFileInfo &info)
{
    return !(info.permissions() & (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther));
}

// Whether a file may be created or replaced at the path.
std::optional<FileFailure> checkTarget(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return FileFailure{Action::Create, path, QStringLiteral("На этом месте находится папка.")};
    if (info.exists() && isReadOnly(info))
        return FileFailure{Action::Replace, path, QStringLiteral("Файл доступен только для чтения.")};
    return std::nullopt;
}

// Copies through a temporary file, so the destination is either the old one
// or a complete copy.
std::optional<SaveOutcome> copyReplacing(const QString &from, const QString &to, TimeSlice &slice)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return failed(Action::Open, in);
    QSaveFile out(to);
    if (!out.open(QIODevice::WriteOnly))
        return failed(Action::Create, out);
    QByteArray buffer(copyChunkBytes, Qt::Uninitialized);
    for (;;) {
        const qint64 n = in.read(buffer.data(), buffer.size());
        if (n < 0)
            return failed(Action::Read, in);
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n)
            return failed(Action::Write, out);
        if (!slice.next())
            return SaveOutcome{Status::Stopped, std::nullopt};
    }
    if (!out.commit())
        return failed(Action::Write, out);
    return std::nullopt;
}

// An empty list leaves no output, only the backup of the previous one.
SaveOutcome retireOutput(const QString &output, const QString &backup, TimeSlice &slice)
{
    if (const auto outcome = copyReplacing(output, backup, slice))
        return *outcome;
    QFile old(output);
    if (!old.remove())
        return failed(Action::Delete, old);
    return {Status::Saved, std::nullopt};
}

// Writes the playlist into the save file without committing it.
std::optional<SaveOutcome> writeNewOutput(QFile &copy, QSaveFile &file, std::span<const QByteArrayView> items,
                                          InputMode mode, TimeSlice &slice)
{
    if (!copy.open(QIODevice::ReadOnly))
        return failed(Action::Open, copy);
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
    if (!file.open(QIODevice::WriteOnly))
        return failed(Action::Create, file);
    PlaylistWriter writer(bytes, mode);
    switch (writer.write(items, file, slice)) {
    case PlaylistWriter::Outcome::Written:
        return std::nullopt;
    case PlaylistWriter::Outcome::WriteFailed:
        return failed(Action::Write, file);
    case PlaylistWriter::Outcome::Stopped:
        break;
    }
    return SaveOutcome{Status::Stopped, std::nullopt};
}

} // namespace

QString playlistOutputPath(const QString &programFolder, const QString &extension)
{
    return programFolder + QStringLiteral("/Kelvaro.") + extension;
}

QString playlistBackupPath(const QString &programFolder, const QString &extension)
{
    return programFolder + QStringLiteral("/Playlist_OLD.") + extension;
}

SaveOutcome savePlaylist(const QString &programFolder, const QString &extension,
                         const QString &normalisedCopyPath, std::span<const QByteArrayView> items,
                         InputMode mode, TimeSlice &slice)
{
    QFile copy(normalisedCopyPath);
    if (!copy.exists())
        return {Status::NoPlaylist, std::nullopt};

    const QString output = playlistOutputPath(programFolder, extension);
    const QString backup = playlistBackupPath(programFolder, extension);
    if (auto failure = checkTarget(output))
        return failed(std::move(*failure));
    const bool hadOutput = QFileInfo::exists(output);
    if (hadOutput) {
        if (auto failure = checkTarget(backup))
            return failed(std::move(*failure));
    }

    if (items.empty())
        return hadOutput ? retireOutput(output, backup, slice) : SaveOutcome{Status::Saved, std::nullopt};

    QSaveFile file(output);
    if (const auto outcome = writeNewOutput(copy, file, items, mode, slice))
        return *outcome;
    copy.close(); // unmaps it
    if (hadOutput) {
        if (const auto outcome = copyReplacing(output, backup, slice))
            return *outcome;
    }
    if (!file.commit())
        return failed(Action::Write, file);
    return {Status::Saved, std::nullopt};
}
