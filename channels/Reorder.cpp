#include "channels/Reorder.h"

#include "app/Artwork.h"
#include "app/Form1Ui.h"
#include "channels/ChannelListModel.h"
#include "channels/NewListView.h"

#include <QEvent>
#include <QFrame>
#include <QPushButton>
#include <QTimer>

namespace {
// The delay timer's ticks before repeating starts (two ticks of 400 ms).
constexpr qint32 ticksBeforeRepeat = 2;
} // namespace

Reorder::Reorder(Form1Ui &ui, QObject *parent)
    : QObject(parent)
    , m_ui(ui)
{
    // The buttons react to any mouse button, so their presses are watched
    // here rather than through the button's own left-button signals.
    m_ui.Command4->installEventFilter(this);
    m_ui.Command5->installEventFilter(this);
    for (QPushButton *button : {m_ui.Command4, m_ui.Command5})
        connect(button, &QPushButton::clicked, this, [this] { m_ui.Picture1->setFocus(); });

    connect(m_ui.Timer3, &QTimer::timeout, this, [this] { delayTick(true); });
    connect(m_ui.Timer4, &QTimer::timeout, this, [this] { delayTick(false); });
    connect(m_ui.Timer1, &QTimer::timeout, this, [this] { repeatTick(true); });
    connect(m_ui.Timer2, &QTimer::timeout, this, [this] { repeatTick(false); });

    connect(m_ui.List2, &NewListView::mousePressed, this, &Reorder::dragStarted);
    connect(m_ui.List2, &NewListView::mouseReleased, this, &Reorder::dropped);
}

bool Reorder::eventFilter(QObject *watched, QEvent *event)
{
    const bool up = watched == m_ui.Command4;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // a quick second click is a press too
        pressed(up);
        break;
    case QEvent::MouseButtonRelease:
        released(up);
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void Reorder::MoveChannel()
{
    ChannelListModel &list = *m_ui.list2Model;
    const int a = m_ui.List2->selectedRow();
    if (a >= 0) {
        if (moveDirection < 50 && a < list.count() - 1) {
            list.swap(a, a + 1);
            m_ui.List2->selectRow(a + 1);
        } else if (moveDirection >= 50 && a >= 1) {
            list.swap(a - 1, a);
            m_ui.List2->selectRow(a - 1);
        }
    }
    moveDirection = 50;
}

void Reorder::pressed(bool up)
{
    (up ? m_ui.Timer3 : m_ui.Timer4)->start();
    moveDirection += up ? 1 : -1;
    MoveChannel();
}

void Reorder::released(bool up)
{
    (up ? m_ui.Timer1 : m_ui.Timer2)->stop();
    (up ? m_ui.Timer3 : m_ui.Timer4)->stop();
    holdTicks = 0;
}

void Reorder::delayTick(bool up)
{
    ++holdTicks;
    if (holdTicks >= ticksBeforeRepeat) {
        (up ? m_ui.Timer1 : m_ui.Timer2)->start();
        (up ? m_ui.Timer3 : m_ui.Timer4)->stop();
        holdTicks = 0;
    }
}

void Reorder::repeatTick(bool up)
{
    moveDirection += up ? 1 : -1;
    MoveChannel();
}

void Reorder::dragStarted()
{
    dragFrom = m_ui.List2->selectedRow();
    m_ui.List2->viewport()->setCursor(artwork::handCursor());
}

void Reorder::dropped()
{
    const int drop = m_ui.List2->selectedRow();
    ChannelListModel &list = *m_ui.list2Model;
    // A release with nothing selected leaves the list as it was.
    if (dragFrom >= 0 && dragFrom < list.count() && drop >= 0) {
        list.move(dragFrom, drop);
        m_ui.List2->selectRow(drop);
    }
    dragFrom = -1;
    m_ui.List2->viewport()->unsetCursor();
}
