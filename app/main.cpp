#include "app/Form1.h"
#include "app/QtTranslation.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    qtTranslation::installRussian(app);
    // Wayland matches the window to its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(KELVARO_APP_ID));
    Form1 window(QCoreApplication::applicationDirPath());
    window.show();
    return app.exec();
}
