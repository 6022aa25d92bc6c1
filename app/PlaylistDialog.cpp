#include "app/PlaylistDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace playlistDialog {

Request load(const QString &folder)
{
    return {QStringLiteral("Открыть плейлист"), folder, {}};
}

Request previous(const QString &folder)
{
    Request request{QStringLiteral("Прежний плейлист"), folder, {}};
    QDateTime newest;
    for (const char *name : {"Kelvaro.m3u", "Kelvaro.m3u8"}) {
        const QFileInfo saved(QDir(folder).filePath(QLatin1String(name)));
        if (saved.isFile() && (request.selected.isEmpty() || saved.lastModified() > newest)) {
            request.selected = saved.absoluteFilePath();
            newest = saved.lastModified();
        }
    }
    return request;
}

QFileDialog *create(QWidget *parent, const Request &request)
{
    auto dialog = new QFileDialog(parent, request.title, request.folder);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    // One file, which need not exist yet: the load tells if it cannot be read.
    dialog->setFileMode(QFileDialog::AnyFile);
    // Shown as "Playlist (*.m3u)", it lists .m3u8 files as well.
    dialog->setOption(QFileDialog::HideNameFilterDetails);
    dialog->setNameFilter(QStringLiteral("Playlist (*.m3u) (*.m3u*)"));
    if (!request.selected.isEmpty())
        dialog->selectFile(request.selected);
    return dialog;
}

std::optional<QString> choose(QWidget *parent, const Request &request)
{
    std::unique_ptr<QFileDialog> dialog(create(parent, request));
    if (dialog->exec() != QDialog::Accepted || dialog->selectedFiles().isEmpty())
        return std::nullopt;
    return dialog->selectedFiles().constFirst();
}

} // namespace playlistDialog
