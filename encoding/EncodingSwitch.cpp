#include "encoding/EncodingSwitch.h"

#include "app/Form1Ui.h"
#include "app/InfoMessage.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "channels/ChannelListModel.h"
#include "channels/SelectAllBox.h"
#include "intake/SourceList.h"

#include "channels/ChannelListView.h"

EncodingSwitch::EncodingSwitch(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_session(session)
    , m_gate(gate)
    , m_window(window)
{
}

void EncodingSwitch::optionSelected(bool selected)
{
    if (selected)
        switchEncoding();
}

void EncodingSwitch::switchEncoding()
{
    auto operation = m_gate.begin();
    if (!operation)
        return;
    m_ui.showChannelCount(0);
    operation->showBusy();
    m_ui.list1Model->clear();
    m_ui.list2Model->clear();
    m_session.channelCount = 0;

    PassResult result = sourceList::RebuildSourceList(m_ui, m_session, *operation);
    if (result.ok())
        result = sourceList::fill(m_ui, m_session, *operation, m_ui.Check1->isChecked());
    if (result.status == PassResult::Status::Stopped)
        return;
    m_ui.showChannelCount(m_session.channelCount);
    if (result.ok() && m_ui.list1Model->count() > 0) {
        m_ui.List1->setCurrentIndex(m_ui.list1Model->index(0));
        operation->hideBusy();
        return;
    }
    // Nothing listed: no playlist, or one without channels.
    operation->hideBusy();
    infoMessage::show(m_window, result.failure ? result.failure->message() : messages::loadPlaylistFirst());
}
