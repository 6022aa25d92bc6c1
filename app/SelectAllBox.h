#pragma once

#include <QCheckBox>

// The select-all box. Select-all runs when a mouse button, any button, is
// released on the box, after the box has taken the click; a keyboard toggle
// only changes the box.
class SelectAllBox : public QCheckBox
{
    Q_OBJECT
public:
    using QCheckBox::QCheckBox;

Q_SIGNALS:
    void mouseReleased();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};
