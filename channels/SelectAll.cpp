#include "channels/SelectAll.h"

#include "app/Form1Ui.h"
#include "app/InfoMessage.h"
#include "app/Messages.h"
#include "app/Session.h"
#include "channels/ChannelListModel.h"
#include "channels/SelectAllBox.h"
#include "intake/SourceList.h"

#include "channels/ChannelListView.h"
#include <QRadioButton>

SelectAll::SelectAll(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window)
    : QObject(window)
    , m_ui(ui)
    , m_session(session)
    , m_gate(gate)
    , m_window(window)
{
}

void SelectAll::run()
{
    auto operation = m_gate.begin();
    if (!operation)
        return;
    m_ui.showChannelCount(0);
    operation->showBusy();
    const bool ticked = m_ui.Check1->isChecked();
    m_ui.Option1->setEnabled(!ticked);
    m_ui.Option2->setEnabled(!ticked);

    m_ui.list1Model->clear();
    m_session.channelCount = 0;
    const PassResult result = sourceList::fill(m_ui, m_session, *operation, ticked);
    if (result.status == PassResult::Status::Stopped)
        return;
    m_ui.showChannelCount(m_session.channelCount);
    if (m_ui.list1Model->count() > 0)
        m_ui.List1->setCurrentIndex(m_ui.list1Model->index(0));
    operation->hideBusy();
    if (!result.ok())
        infoMessage::show(m_window, result.failure ? result.failure->message() : messages::loadPlaylistFirst());
}
