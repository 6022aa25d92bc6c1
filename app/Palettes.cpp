#include "app/Palettes.h"

#include <QApplication>
#include <QStyle>
#include <QWidget>

namespace palettes {

void setBlackWindow(QWidget *window)
{
    QPalette p = window->palette();
    for (QPalette::ColorRole role : {QPalette::Window, QPalette::Base, QPalette::AlternateBase})
        p.setColor(role, Qt::black);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text})
        p.setColor(role, Qt::white);
    window->setPalette(p);
}

QPalette indicator(const QPalette &base)
{
    QPalette p = base;
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    p.setColor(QPalette::Window, QColor(192, 192, 192)); // outline
    p.setColor(QPalette::Disabled, QPalette::Base, QColor(192, 192, 192));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    return p;
}

void setLightIndicator(QWidget *control)
{
    control->setPalette(indicator(control->palette()));
}

void setFramedList(QWidget *list)
{
    QPalette p = list->palette();
    p.setColor(QPalette::Window, QColor(192, 192, 192)); // the frame is drawn from it
    list->setPalette(p);
}

void setDesktopColours(QWidget *widget)
{
    widget->setPalette(widget->style()->standardPalette());
}

} // namespace palettes
