#pragma once

#include <QApplication>
#include <QCursor>
#include <QPointer>
#include <QTest>
#include <QWidget>

namespace testsupport {

// Moves the mouse through the window system, so that a window finds the
// control under the spot, and waits until the move is delivered: some window
// systems hand a move over later.
class MouseMover : public QObject
{
public:
    MouseMover() { qApp->installEventFilter(this); }
    ~MouseMover() override { qApp->removeEventFilter(this); }

    // A move to where the mouse already is would not be delivered, so then it
    // first steps aside within the control.
    [[nodiscard]] bool moveOnto(QWidget *control, QPoint spot)
    {
        if (QCursor::pos() == control->mapToGlobal(spot) && !moveTo(control, spot + QPoint(1, 0)))
            return false;
        return moveTo(control, spot);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::MouseMove)
            m_lastReceiver = watched;
        return false;
    }

private:
    bool moveTo(QWidget *control, QPoint spot)
    {
        m_lastReceiver = nullptr;
        QTest::mouseMove(control, spot);
        return QTest::qWaitFor([&] { return m_lastReceiver == control; });
    }

    QPointer<QObject> m_lastReceiver;
};

} // namespace testsupport
