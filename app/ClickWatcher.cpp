#include "app/ClickWatcher.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <utility>

ClickWatcher::ClickWatcher(QWidget *widget, Qt::MouseButtons buttons, Release release)
    : QObject(widget)
    , m_widget(widget)
    , m_buttons(buttons)
    , m_release(release)
{
    widget->installEventFilter(this);
}

bool ClickWatcher::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type type = event->type();
    if (m_forwarding || (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease))
        return QObject::eventFilter(watched, event);
    const auto mouse = static_cast<QMouseEvent *>(event);
    const bool counted = m_buttons.testFlag(mouse->button());
    // The widget's own handler takes the left button; it would pass the
    // others on to its parent.
    const bool takenHere = counted && mouse->button() != Qt::LeftButton;
    if (type == QEvent::MouseButtonPress) {
        m_pressed = counted;
    } else if (std::exchange(m_pressed, false) && counted
               && (m_release == Release::Anywhere || m_widget->rect().contains(mouse->position().toPoint()))) {
        // The widget handles the release before the click is told.
        if (!takenHere) {
            m_forwarding = true;
            QCoreApplication::sendEvent(watched, event);
            m_forwarding = false;
        }
        event->accept();
        Q_EMIT clicked();
        return true;
    }
    if (takenHere) {
        event->accept();
        return true;
    }
    return false;
}
