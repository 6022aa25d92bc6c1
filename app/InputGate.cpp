#include "app/InputGate.h"

#include <QEvent>
#include <QWidget>

InputGate::InputGate(std::function<bool()> isBusy, QObject *parent)
    : QObject(parent)
    , m_isBusy(std::move(isBusy))
{
}

void InputGate::guard(QWidget *control)
{
    control->installEventFilter(this);
}

bool InputGate::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
        if (m_isBusy())
            return true;
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
