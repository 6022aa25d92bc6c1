#include "app/HoldRepeat.h"

#include <QAbstractButton>
#include <QEvent>
#include <QTimer>

namespace {
// Delay ticks (400 ms each) before repeating starts.
constexpr int ticksBeforeRepeat = 2;
} // namespace

HoldRepeat::HoldRepeat(QAbstractButton *button, QTimer *delay, QTimer *repeat, std::function<void()> step,
                       QObject *parent)
    : QObject(parent)
    , m_delay(delay)
    , m_repeat(repeat)
    , m_step(std::move(step))
{
    // Any mouse button, so the presses are watched here rather than through
    // the button's own left-button signals.
    button->installEventFilter(this);
    connect(m_delay, &QTimer::timeout, this, &HoldRepeat::delayTick);
    connect(m_repeat, &QTimer::timeout, this, [this] { m_step(); });
}

bool HoldRepeat::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // a quick second click is a press too
        pressed();
        break;
    case QEvent::MouseButtonRelease:
        released();
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

void HoldRepeat::pressed()
{
    m_delay->start();
    m_step();
}

void HoldRepeat::released()
{
    m_repeat->stop();
    m_delay->stop();
    m_delayTicks = 0;
}

void HoldRepeat::delayTick()
{
    if (++m_delayTicks < ticksBeforeRepeat)
        return;
    m_repeat->start();
    m_delay->stop();
    m_delayTicks = 0;
}
