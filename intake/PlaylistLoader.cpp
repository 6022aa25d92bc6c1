#include "intake/PlaylistLoader.h"

#include "app/Form1Ui.h"
#include "app/InfoMessage.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "channels/ChannelListModel.h"
#include "channels/SelectAllBox.h"
#include "intake/Passes.h"
#include "intake/SaveFormat.h"
#include "intake/SourceList.h"

#include <QFileDialog>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>

namespace {

using Kind = WorkingFiles::Kind;

QString trimSpaces(const QString &text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin] == u' ')
        ++begin;
    while (end > begin && text[end - 1] == u' ')
        --end;
    return text.mid(begin, end - begin);
}

} // namespace

PlaylistLoader::PlaylistLoader(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_session(session)
    , m_gate(gate)
    , m_window(window)
{
}

QFileDialog *PlaylistLoader::createDialog(QWidget *parent, const QString &folder)
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

std::optional<QString> PlaylistLoader::chooseFile()
{
    std::optional<QString> chosen;
    if (m_chooseFile) {
        chosen = m_chooseFile(m_window, m_session.programFolder);
    } else {
        QFileDialog *dialog = createDialog(m_window, m_session.programFolder);
        if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            chosen = dialog->selectedFiles().constFirst();
        delete dialog;
    }
    if (chosen && (chosen->isEmpty() || chosen->size() > maxPathLength))
        return std::nullopt;
    return chosen;
}

void PlaylistLoader::load()
{
    auto operation = m_gate.begin();
    if (!operation)
        return;
    m_ui.Picture1->setFocus();
    m_ui.Check1->setEnabled(false);
    m_ui.Check1->setChecked(false);

    for (Kind kind : {Kind::Normalised, Kind::Raw}) {
        if (auto failure = m_session.workingFiles.removeIfPresent(kind)) {
            infoMessage::show(m_window, failure->message());
            return;
        }
    }

    const std::optional<QString> chosen = chooseFile();
    if (!chosen)
        return;
    m_session.playlistPath = trimSpaces(*chosen);
    operation->showBusy();
    applySaveFormat();
    for (QRadioButton *option : {m_ui.Option4, m_ui.Option3, m_ui.Option1, m_ui.Option2})
        option->setEnabled(true);

    if (!readPlaylist(*operation))
        return;

    m_ui.Command3->setEnabled(true);
    m_ui.Check1->setEnabled(true);
    operation->hideBusy();
    m_ui.list2Model->clear();
}

void PlaylistLoader::applySaveFormat()
{
    const std::optional<SaveFormat> format = SaveFormat::fromFileName(m_session.playlistPath);
    if (!format)
        return;
    m_session.saveExtension = format->extension;
    (format->option == SaveFormat::Option::M3u8 ? m_ui.Option3 : m_ui.Option4)->setChecked(true);
}

bool PlaylistLoader::readPlaylist(OperationGate::Operation &operation)
{
    m_ui.list1Model->clear();
    m_session.channelCount = 0;

    PassResult result = passes::makeRawCopy(m_session.playlistPath, m_session.workingFiles);
    if (!result.ok()) {
        fail(operation, result);
        return false;
    }
    // The raw copy rests a moment before it is read back.
    QThread::msleep(100);

    TimeSlice slice = operation.slice();
    result = passes::makeNormalisedCopy(m_session.workingFiles, m_session.normaliser, m_ui.inputMode(), slice);
    if (result.ok())
        result = sourceList::fill(m_ui, m_session, operation, false);
    if (!result.ok()) {
        fail(operation, result);
        return false;
    }
    m_ui.showChannelCount(m_session.channelCount);
    return true;
}

void PlaylistLoader::fail(OperationGate::Operation &operation, const PassResult &result)
{
    if (result.status == PassResult::Status::Stopped)
        return;
    // What a failed load leaves is what a cancelled one leaves: no working
    // files, and nothing listed that could be mistaken for them.
    for (Kind kind : {Kind::Normalised, Kind::Raw})
        (void)m_session.workingFiles.removeIfPresent(kind);
    m_ui.list1Model->clear();
    m_session.channelCount = 0;
    m_ui.showChannelCount(0);
    operation.hideBusy();
    infoMessage::show(m_window, result.failure ? result.failure->message() : messages::loadPlaylistFirst());
}
