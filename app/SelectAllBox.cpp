#include "app/SelectAllBox.h"

#include <QMouseEvent>

void SelectAllBox::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    QCheckBox::mousePressEvent(event);
    event->accept(); // other buttons too, so that their release comes here
}

void SelectAllBox::mouseReleaseEvent(QMouseEvent *event)
{
    QCheckBox::mouseReleaseEvent(event);
    event->accept();
    if (m_pressed) {
        m_pressed = false;
        Q_EMIT mouseReleased();
    }
}
