#pragma once

#include "base/Result.h"

#include <QFile>
#include <QString>

#include <memory>

class QLockFile;

// The two working files of a loaded playlist: the raw copy "ttemp.kv" and the
// normalised copy "temp.kelv". They live in a folder of this running copy's
// own inside the temporary folder, so two copies of the program never touch
// each other's files; the folder holds a lock while the copy runs and goes
// when it ends. This class is the only place that opens a working file.
//
// Not thread-safe: one operation at a time uses it, from whatever thread.
class WorkingFiles
{
public:
    enum class Kind {
        Raw,
        Normalised,
    };

    // temporaryFolder: where this copy's folder goes; empty for the one
    // temporaryFolder() finds.
    explicit WorkingFiles(const QString &temporaryFolder = {});
    ~WorkingFiles(); // removeAll()
    WorkingFiles(const WorkingFiles &) = delete;
    WorkingFiles &operator=(const WorkingFiles &) = delete;

    // The folder named by the environment variable Temp when it is a writable
    // folder; otherwise a private folder of the user's. Empty when there is
    // no usable folder at all.
    [[nodiscard]] static QString temporaryFolder();

    // Removes the folders that copies which are no longer running left in
    // the temporary folder (after a crash, say). Folders of running copies
    // are held by their lock and stay.
    static void removeAbandoned(const QString &temporaryFolder = WorkingFiles::temporaryFolder());

    // This copy's folder, made on first use; empty when it cannot be made.
    [[nodiscard]] QString folder();
    [[nodiscard]] QString path(Kind kind);
    // A dangling link counts: it stands in the way of a new file.
    [[nodiscard]] bool exists(Kind kind) const;

    // Deletes the file if it is there. A failure means it is still there.
    [[nodiscard]] Result<> remove(Kind kind);

    // A new, empty file opened for writing. Whatever stood at the path was
    // deleted before; if something is planted there in between (a symbolic
    // link, say) the creation fails rather than follow it.
    [[nodiscard]] Result<std::unique_ptr<QFile>> create(Kind kind);

    // The file opened to be written anew. A regular file is written over from
    // its start, so its pages and disk blocks serve again instead of being
    // freed and taken anew (a quarter of an encoding switch with a million
    // channels); anything else at the path is deleted and a new file created.
    // The caller cuts the file where its writing ended. NotLoaded when there
    // is no file.
    [[nodiscard]] Result<std::unique_ptr<QFile>> rewrite(Kind kind);

    // The file opened for reading; a file that is not there means nothing is
    // loaded (FileFailure::Kind::NotLoaded).
    [[nodiscard]] Result<std::unique_ptr<QFile>> open(Kind kind);

    // Shut-down: both files, the folder and its lock. A file that cannot be
    // deleted (locked elsewhere) does not stop it.
    void removeAll();

private:
    // The failure names what could not be made, and why.
    [[nodiscard]] Result<> makeFolder();

    QString m_base;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
};

// Opens a file the user chose for reading. Only regular files: a FIFO would
// block and a device never end.
[[nodiscard]] Result<std::unique_ptr<QFile>> openForReading(const QString &path);
