#include "base/FileFailure.h"

#include <QDir>
#include <QFileDevice>

FileFailure FileFailure::of(Action action, const QIODevice &device)
{
    const auto file = qobject_cast<const QFileDevice *>(&device);
    return {action, file ? file->fileName() : QString(), device.errorString()};
}

FileFailure FileFailure::notLoaded(const QString &path)
{
    return {Action::Open, path, {}, Kind::NotLoaded};
}

FileFailure FileFailure::outOfMemory()
{
    return {Action::Read, {}, {}, Kind::OutOfMemory};
}

QString FileFailure::message() const
{
    if (kind == Kind::OutOfMemory)
        return QStringLiteral("Не хватает памяти: операция прервана.");
    QString what;
    switch (action) {
    case Action::Open:
        what = QStringLiteral("Не удалось открыть файл");
        break;
    case Action::Read:
        what = QStringLiteral("Не удалось прочитать файл");
        break;
    case Action::Create:
        what = QStringLiteral("Не удалось создать файл");
        break;
    case Action::Write:
        what = QStringLiteral("Не удалось записать файл");
        break;
    case Action::Delete:
        what = QStringLiteral("Не удалось удалить файл");
        break;
    case Action::Replace:
        what = QStringLiteral("Не удалось заменить файл");
        break;
    }
    QString text = what + QStringLiteral("!\n\n") + QDir::toNativeSeparators(path);
    if (!reason.isEmpty())
        text += QStringLiteral("\n\n") + reason;
    return text;
}
