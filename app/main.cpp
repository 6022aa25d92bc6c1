#include "app/Form1.h"
#include "app/QtTranslation.h"
#include "app/session/FreedMemory.h"
#include "app/session/PlaylistSession.h"
#include "intake/WorkingFiles.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    freedMemory::keepForReuse();
    QApplication app(argc, argv);
    qtTranslation::installRussian(app);
    // Wayland matches the window to its menu entry by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(KELVARO_APP_ID));
    WorkingFiles::removeAbandoned();
    PlaylistSession session(QCoreApplication::applicationDirPath());
    Form1 window(session);
    window.show();
    // A playlist named on the command line ("Open with" in a file manager).
    if (const QStringList arguments = app.arguments(); arguments.size() > 1)
        window.load(arguments.at(1));
    return app.exec();
}
