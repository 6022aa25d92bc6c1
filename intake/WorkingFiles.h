#pragma once

#include "app/FileFailure.h"

#include <QString>

#include <memory>
#include <optional>

class QFile;

// The two working files of a loaded playlist, in the temporary folder: the
// raw copy "ttemp.kv" and the normalised copy "temp.kelv".
class WorkingFiles
{
public:
    enum class Kind {
        Raw,
        Normalised,
    };

    // The folder named by the environment variable Temp when it is a writable
    // folder; otherwise a private folder of the user's.
    [[nodiscard]] static QString resolveFolder();

    [[nodiscard]] QString path(Kind kind);
    [[nodiscard]] bool exists(Kind kind);

    // Deletes the file if it is there. A failure means it is still there.
    [[nodiscard]] std::optional<FileFailure> removeIfPresent(Kind kind);

    // A new, empty file opened for writing. Whatever stood at the path was
    // deleted before; if something is planted there in between (a symbolic
    // link, say) the creation fails rather than follow it.
    [[nodiscard]] std::unique_ptr<QFile> createNew(Kind kind, std::optional<FileFailure> &failure);

private:
    [[nodiscard]] const QString &folder();

    QString m_folder;
};
