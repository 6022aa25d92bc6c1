#pragma once

#include <QObject>

struct Form1Ui;

// Putting the new list in order: the move buttons step the selected channel
// one place up or down, repeat while held, and a drag inside the list moves a
// channel to where the pointer lets go.
class Reorder : public QObject
{
    Q_OBJECT
public:
    Reorder(Form1Ui &ui, QObject *parent);

    // 50 or more moves up, below 50 down; callers raise or lower it right
    // before a step, and every step sets it back to 50.
    qint32 moveDirection = 50;
    // Ticks of a hold-delay timer since its button went down.
    qint32 holdTicks = 0;
    // The selected row when a mouse button went down on the list, -1 for none.
    int dragFrom = -1;

    // One step of the selected channel in the direction of moveDirection.
    void MoveChannel();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pressed(bool up);
    void released(bool up);
    void delayTick(bool up);
    void repeatTick(bool up);
    void dragStarted();
    void dropped();

    Form1Ui &m_ui;
};
