#pragma once

#include "encoding/InputMode.h"
#include "base/Result.h"

#include <QString>

#include <span>

class Progress;
class WorkingFiles;

// "Kelvaro." and the extension in the output folder; the backup of the
// previous output is "Playlist_OLD." and the same extension. An empty
// extension leaves the names ending with the dot, except on Windows, which
// has no such names: there they end without it.
[[nodiscard]] QString playlistOutputPath(const QString &folder, const QString &extension);
[[nodiscard]] QString playlistBackupPath(const QString &folder, const QString &extension);

// Saves the new playlist for the channel indexes, in their order, from the
// normalised copy (see PlaylistWriter); NotLoaded without one. A previous
// output becomes the backup, but only once the new output is completely
// written: until then the previous output and backup stay as they were, and a
// failed or stopped save leaves no temporary file behind. At every moment both
// names hold a whole file. An empty list writes the header alone.
Result<> savePlaylist(const QString &folder, const QString &extension, WorkingFiles &files,
                      std::span<const qint32> entries, InputMode mode, Progress &progress);
