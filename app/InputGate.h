#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Keeps the controls that start an operation from reacting while one runs:
// their presses and key presses are swallowed, so they keep their look and
// no second operation begins.
class InputGate : public QObject
{
    Q_OBJECT
public:
    InputGate(std::function<bool()> isBusy, QObject *parent = nullptr);
    void guard(QWidget *control);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::function<bool()> m_isBusy;
};
