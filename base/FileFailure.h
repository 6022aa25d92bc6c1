#pragma once

#include <QString>

class QIODevice;

// Why a file operation failed. Most failures are the file's: they are told to
// the user as a short Russian message that names the file and the reason. Two
// are not: a working file that is not there means nothing is loaded, and an
// operation may run out of memory.
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
        OutOfMemory,
    };

    Action action = Action::Open;
    QString path;
    QString reason;
    Kind kind = Kind::Failed;

    // The device's file name (when it is a file) and its error string.
    [[nodiscard]] static FileFailure of(Action action, const QIODevice &device);
    [[nodiscard]] static FileFailure notLoaded(const QString &path);
    // The operation ran out of memory and was ended; the program goes on.
    [[nodiscard]] static FileFailure outOfMemory();

    // For Failed: "Не удалось ... файл!", the path and the reason.
    [[nodiscard]] QString message() const;
};
