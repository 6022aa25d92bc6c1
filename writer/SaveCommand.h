#pragma once

#include "app/OperationGate.h"

#include <QObject>

class QWidget;
struct Form1Ui;
struct Session;

// "Сохранить": writes the new list as a playlist next to the program.
class SaveCommand : public QObject
{
    Q_OBJECT
public:
    SaveCommand(Form1Ui &ui, Session &session, OperationGate &gate, QWidget *window);

public Q_SLOTS:
    void save();

private:
    // The message to show when the save has ended.
    [[nodiscard]] QString WritePlaylist(OperationGate::Operation &operation);

    Form1Ui &m_ui;
    Session &m_session;
    OperationGate &m_gate;
    QWidget *m_window;
};
