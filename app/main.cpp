#include "app/Form1.h"
#include "app/session/PlaylistSession.h"
#include "intake/WorkingFiles.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    WorkingFiles::removeAbandoned();
    PlaylistSession session(QCoreApplication::applicationDirPath());
    Form1 window(session);
    window.show();
    return app.exec();
}
