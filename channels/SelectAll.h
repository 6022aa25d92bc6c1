#pragma once

#include "app/OperationGate.h"

#include <QObject>

class QWidget;
struct Form1Ui;
struct Session;

// The select-all box: List1 is filled again from the normalised copy with
// every item ticked or unticked as the box is, and the input encoding is
// locked while the box is ticked.
class SelectAll : public QObject
{
    Q_OBJECT
public:
    SelectAll(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window);

public Q_SLOTS:
    void run();

private:
    Form1Ui &m_ui;
    Session &m_session;
    OperationGate &m_gate;
    QWidget *m_window;
};
