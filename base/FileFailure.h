#pragma once

#include <QString>

class QIODevice;

// Why a file operation failed. Most failures are the file's: they are told to
// the user as a short Russian message that names the file and the reason. One
// is not: a working file that is not there means nothing is loaded.
struct FileFailure
{
    enum class Action {
        Open,
        Read,
        Create,
        Write,
        Delete,
        Replace,
    };
    enum class Kind {
        Failed,
        NotLoaded,
    };

    Action action = Action::Open;
    QString path;
    QString reason;
    Kind kind = Kind::Failed;

    // The device's file name (when it is a file) and its error string.
    [[nodiscard]] static FileFailure of(Action action, const QIODevice &device);
    [[nodiscard]] static FileFailure notLoaded(const QString &path);

    // For Failed only: "Не удалось ... файл!", the path and the reason.
    [[nodiscard]] QString message() const;
};
