#include "writer/SaveCommand.h"

#include "app/Form1Ui.h"
#include "app/InfoMessage.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "channels/ChannelListModel.h"
#include "writer/PlaylistSave.h"

#include "encoding/Ansi.h"
#include "encoding/Utf8.h"

#include <QFrame>
#include <QPushButton>
#include <QRadioButton>

namespace {

// The list's texts in the copy's text form, as the writer takes them.
std::vector<QByteArray> itemBytes(const QStringList &texts, InputMode mode)
{
    std::vector<QByteArray> bytes;
    bytes.reserve(size_t(texts.size()));
    for (const QString &text : texts)
        bytes.push_back(mode == InputMode::Utf8 ? utf8::fromUtf16(text) : ansi::fromUtf16(text));
    return bytes;
}

} // namespace

SaveCommand::SaveCommand(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_session(session)
    , m_gate(gate)
    , m_window(window)
{
}

void SaveCommand::save()
{
    auto operation = m_gate.begin();
    if (!operation)
        return;
    m_ui.Command2->setEnabled(false);
    operation->showBusy();
    const QString message = WritePlaylist(*operation);
    if (m_gate.stopRequested())
        return;
    operation->hideBusy();
    m_ui.Command2->setEnabled(true);
    infoMessage::show(m_window, message);
}

QString SaveCommand::WritePlaylist(OperationGate::Operation &operation)
{
    m_ui.Picture1->setFocus();
    if (m_ui.Option4->isChecked())
        m_session.saveExtension = QStringLiteral("m3u");
    if (m_ui.Option3->isChecked())
        m_session.saveExtension = QStringLiteral("m3u8");

    // The save writes the list as it stands now; moves made while it runs
    // belong to the next save.
    const std::vector<QByteArray> bytes = itemBytes(m_ui.list2Model->texts(), m_ui.inputMode());
    const std::vector<QByteArrayView> items(bytes.begin(), bytes.end());
    TimeSlice slice = operation.slice();
    const SaveOutcome outcome =
        savePlaylist(m_session.programFolder, m_session.saveExtension,
                     m_session.workingFiles.path(WorkingFiles::Kind::Normalised), items, m_ui.inputMode(), slice);
    switch (outcome.status) {
    case SaveOutcome::Status::Saved:
        return QStringLiteral("Плейлист создан рядом с программой!");
    case SaveOutcome::Status::NoPlaylist:
        return messages::loadPlaylistFirst();
    case SaveOutcome::Status::Failed:
    case SaveOutcome::Status::Stopped:
        break;
    }
    return outcome.failure ? outcome.failure->message() : QString();
}
