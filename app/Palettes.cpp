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
    // Role by role: a palette set whole but with no role marked as set takes
    // every colour from the black window again.
    const QPalette desktop = widget->style()->standardPalette();
    QPalette p = widget->palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            p.setColor(g, r, desktop.color(g, r));
        }
    }
    widget->setPalette(p);
}

} // namespace palettes
