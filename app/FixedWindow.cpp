#include "app/FixedWindow.h"

#include "app/Fonts.h"

namespace fixedWindow {

void setUp(QWidget *window, const QString &name, const QString &title, const QIcon &icon, const QPalette &palette,
           QSize size)
{
    window->setObjectName(name);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowTitle(title);
    window->setWindowIcon(icon);
    window->setFont(fonts::windowFont());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
    window->setFixedSize(size);
}

} // namespace fixedWindow
