#include "app/Form1.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Form1 window(QCoreApplication::applicationDirPath());
    window.show();
    return app.exec();
}
