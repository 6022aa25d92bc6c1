#include "app/PlaylistDialog.h"

#include <QFileDialog>

namespace playlistDialog {

QFileDialog *create(QWidget *parent, const QString &folder)
{
    auto dialog = new QFileDialog(parent, QStringLiteral("Открыть плейлист"), folder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // One file, which need not exist yet: the load tells if it cannot be read.
    dialog->setFileMode(QFileDialog::AnyFile);
    // Shown as "Playlist (*.m3u)", it lists .m3u8 files as well.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilter(QStringLiteral("Playlist (*.m3u) (*.m3u*)"));
    return dialog;
}

std::optional<QString> choose(QWidget *parent, const QString &folder)
{
    std::unique_ptr<QFileDialog> dialog(create(parent, folder));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

} // namespace playlistDialog
