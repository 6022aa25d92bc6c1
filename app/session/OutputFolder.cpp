#include "app/session/OutputFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

bool takesNewFiles(const QString &folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.kelvaro-XXXXXX"));
    return probe.open();
}

} // namespace

Result<OutputFolder> OutputFolder::choose(const QString &programFolder)
{
    if (takesNewFiles(programFolder))
        return OutputFolder{programFolder, true};
    const QString user = userFolder();
    if (!QDir().mkpath(user) || !takesNewFiles(user))
        return FileFailure{FileFailure::Action::Create, user, QStringLiteral("В эту папку нельзя записать файл.")};
    return OutputFolder{user, false};
}

QString OutputFolder::dialogFolder(const QString &programFolder)
{
    if (takesNewFiles(programFolder))
        return programFolder;
    const QString user = userFolder();
    return QFileInfo(user).isDir() ? user : QFileInfo(user).path();
}

QString OutputFolder::userFolder()
{
    QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        documents = QDir::homePath();
    return documents + QStringLiteral("/Kelvaro");
}
