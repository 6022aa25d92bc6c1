#pragma once

#include <QString>

#include <optional>

class QFileDialog;
class QWidget;

// The open-file dialog of the load button.
namespace playlistDialog {

// The longest path the dialog hands back.
inline constexpr int maxPathLength = 254;

// The dialog, set up but not shown: "Открыть плейлист", starting in the
// folder, one filter "Playlist (*.m3u)" that lists .m3u8 files as well.
[[nodiscard]] QFileDialog *create(QWidget *parent, const QString &folder);

// Runs the dialog: the chosen path, or nothing when it was cancelled or the
// path is too long.
[[nodiscard]] std::optional<QString> choose(QWidget *parent, const QString &folder);

} // namespace playlistDialog
