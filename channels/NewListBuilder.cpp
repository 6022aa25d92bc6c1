#include "channels/NewListBuilder.h"

#include "app/Form1Ui.h"
#include "app/InfoMessage.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "channels/ChannelListModel.h"
#include "channels/ChannelWalk.h"

#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

NewListBuilder::NewListBuilder(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_session(session)
    , m_gate(gate)
    , m_window(window)
{
}

void NewListBuilder::build()
{
    auto operation = m_gate.begin();
    if (!operation)
        return;
    m_ui.Picture1->setFocus();

    // Without the raw copy (a later load was cancelled) the lists stay.
    QFile raw(m_session.workingFiles.path(WorkingFiles::Kind::Raw));
    if (!raw.open(QIODevice::ReadOnly)) {
        infoMessage::show(m_window, raw.exists() ? FileFailure::of(FileFailure::Action::Open, raw).message()
                                                 : messages::loadPlaylistFirst());
        return;
    }

    m_ui.Label4->setText(QStringLiteral("0"));
    m_ui.list2Model->clear();
    m_session.channelCount = 0;
    operation->showBusy();

    const ChannelListModel &source = *m_ui.list1Model;
    QStringList pending;
    const auto showPending = [&] {
        m_ui.list2Model->append(std::move(pending));
        pending.clear();
        m_ui.Label4->setText(QString::number(m_session.channelCount));
    };
    TimeSlice slice = operation->slice(showPending);
    const PassResult result =
        channelWalk::forEachEntry(raw, m_ui.inputMode(), source.count(), slice, [&](int position) {
            if (position < source.count() && source.isChecked(position)) {
                pending.append(source.text(position));
                ++m_session.channelCount;
            }
        });
    raw.close();
    if (result.status == PassResult::Status::Stopped)
        return;
    showPending();

    m_ui.Command2->setEnabled(true);
    m_ui.Command4->setEnabled(true);
    m_ui.Command5->setEnabled(true);
    operation->hideBusy();
    if (result.failure)
        infoMessage::show(m_window, result.failure->message());
}
