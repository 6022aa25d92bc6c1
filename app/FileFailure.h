#pragma once

#include <QString>

class QFileDevice;

// A file operation that failed, told to the user as a short Russian message
// that names the file and the reason.
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

    Action action;
    QString path;
    QString reason;

    [[nodiscard]] static FileFailure of(Action action, const QFileDevice &file);
    [[nodiscard]] QString message() const;
};
