#pragma once

#include <QString>

#include <optional>

class QFileDialog;
class QWidget;

// The open-file dialogs of the load and of «Как в прошлый раз».
namespace playlistDialog {

// The longest path the dialog hands back.
inline constexpr int maxPathLength = 254;

// What a dialog asks: its title, the folder it starts in and the file
// chosen beforehand (none: empty).
struct Request
{
    QString title;
    QString folder;
    QString selected;
};

// "Открыть плейлист", in the folder.
[[nodiscard]] Request load(const QString &folder);
// "Прежний плейлист", in the folder saves go to, with the newest playlist
// saved there chosen, so that Enter takes it.
[[nodiscard]] Request previous(const QString &folder);

// The dialog, set up but not shown: one filter "Playlist (*.m3u)" that lists
// .m3u8 files as well.
[[nodiscard]] QFileDialog *create(QWidget *parent, const Request &request);

// Runs the dialog: the chosen path, or nothing when it was cancelled or the
// path is too long.
[[nodiscard]] std::optional<QString> choose(QWidget *parent, const Request &request);

} // namespace playlistDialog
