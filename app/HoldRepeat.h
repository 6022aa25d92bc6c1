#pragma once

#include <QObject>

#include <functional>

class QAbstractButton;
class QTimer;

// A move button: a press of any mouse button makes one step at once; held
// through two ticks of its delay timer, it goes on stepping at every tick of
// its repeat timer until it is released.
class HoldRepeat : public QObject
{
    Q_OBJECT
public:
    HoldRepeat(QAbstractButton *button, QTimer *delay, QTimer *repeat, std::function<void()> step,
               QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pressed();
    void released();
    void delayTick();

    QTimer *m_delay;
    QTimer *m_repeat;
    std::function<void()> m_step;
    int m_delayTicks = 0;
};
