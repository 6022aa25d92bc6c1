#include "app/InfoMessage.h"

#include <QMessageBox>

namespace infoMessage {

namespace {
Hook &hook()
{
    static Hook h;
    return h;
}
} // namespace

QMessageBox *create(QWidget *parent, const QString &text)
{
    auto box = new QMessageBox(QMessageBox::Information, QString(), text, QMessageBox::Ok, parent);
    box->setWindowTitle(QString());
    return box;
}

void show(QWidget *parent, const QString &text)
{
    if (hook()) {
        hook()(parent, text);
        return;
    }
    QMessageBox *box = create(parent, text);
    box->exec();
    delete box;
}

void setHookForTesting(Hook h)
{
    hook() = std::move(h);
}

} // namespace infoMessage
