#include "app/OperationGate.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QWidget>

OperationGate::OperationGate(QLabel *busyLabel, std::function<void()> afterStop, QObject *parent)
    : QObject(parent)
    , m_busyLabel(busyLabel)
    , m_afterStop(std::move(afterStop))
{
}

void OperationGate::guard(QWidget *control)
{
    control->installEventFilter(this);
}

bool OperationGate::eventFilter(QObject *watched, QEvent *event)
{
    if (m_busy) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
            return true;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

std::optional<OperationGate::Operation> OperationGate::begin()
{
    if (m_busy || m_stopRequested)
        return std::nullopt;
    return std::optional<Operation>(std::in_place, *this);
}

bool OperationGate::requestStop()
{
    m_stopRequested = true;
    return !m_busy;
}

OperationGate::Operation::Operation(OperationGate &gate)
    : m_gate(gate)
{
    m_gate.m_busy = true;
}

OperationGate::Operation::~Operation()
{
    hideBusy();
    m_gate.m_busy = false;
    if (m_gate.m_stopRequested && m_gate.m_afterStop)
        m_gate.m_afterStop();
}

void OperationGate::Operation::showBusy()
{
    m_gate.m_busyLabel->show();
}

void OperationGate::Operation::hideBusy()
{
    m_gate.m_busyLabel->hide();
}

TimeSlice OperationGate::Operation::slice(std::function<void()> onSlice)
{
    return TimeSlice([this, onSlice = std::move(onSlice)] {
        if (onSlice)
            onSlice();
        QCoreApplication::processEvents();
        return !m_gate.m_stopRequested;
    }, m_gate.m_sliceMs);
}
