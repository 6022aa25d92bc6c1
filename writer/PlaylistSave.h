#pragma once

#include "app/FileFailure.h"
#include "encoding/InputMode.h"

#include <QByteArrayView>
#include <QString>

#include <optional>
#include <span>

class TimeSlice;

struct SaveOutcome
{
    enum class Status {
        Saved,
        NoPlaylist, // the normalised copy is missing: nothing was loaded
        Failed,     // `failure` names the file and the reason
        Stopped,    // the time slice asked to stop; no file was changed
    };

    Status status;
    std::optional<FileFailure> failure;
};

// "Kelvaro." and the extension in the program's folder; the backup of the
// previous output is "Playlist_OLD." and the same extension. An empty
// extension leaves the names ending with the dot.
[[nodiscard]] QString playlistOutputPath(const QString &programFolder, const QString &extension);
[[nodiscard]] QString playlistBackupPath(const QString &programFolder, const QString &extension);

// Saves the new playlist for the items, in the copy's text form (see
// PlaylistWriter). A previous output
// becomes the backup, but only once the new output is completely written:
// until then the previous output and backup stay as they were, and a failed
// or stopped save leaves no temporary file behind. With no items, a previous
// output becomes the backup and no output is written.
[[nodiscard]] SaveOutcome savePlaylist(const QString &programFolder, const QString &extension,
                                       const QString &normalisedCopyPath,
                                       std::span<const QByteArrayView> items,
                                       InputMode mode, TimeSlice &slice);
