#pragma once

#include "app/OperationGate.h"

#include <QObject>

class QWidget;
struct Form1Ui;
struct Session;

// "Создать": the ticked channels of the source list, in its order, become the
// new list.
class NewListBuilder : public QObject
{
    Q_OBJECT
public:
    NewListBuilder(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window);

public Q_SLOTS:
    void build();

private:
    Form1Ui &m_ui;
    Session &m_session;
    OperationGate &m_gate;
    QWidget *m_window;
};
