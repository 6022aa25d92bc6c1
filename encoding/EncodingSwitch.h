#pragma once

#include "app/OperationGate.h"

#include <QObject>

class QWidget;
struct Form1Ui;
struct Session;

// The input-encoding options: choosing ANSI or UTF-8 reads the loaded
// playlist again, from its raw copy, in the chosen encoding.
class EncodingSwitch : public QObject
{
    Q_OBJECT
public:
    EncodingSwitch(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window);

public Q_SLOTS:
    // Runs when an option becomes the selected one; choosing the option that
    // is selected already changes nothing, so the new list is kept.
    void optionSelected(bool selected);

private:
    void switchEncoding();

    Form1Ui &m_ui;
    Session &m_session;
    OperationGate &m_gate;
    QWidget *m_window;
};
