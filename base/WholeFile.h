#pragma once

#include "base/Result.h"

#include <QSaveFile>
#include <QString>

class QFileDevice;
class QIODevice;

// Writes all the bytes or fails. A device may take part of them and report no
// error (a disk that fills up in the middle does so); the rest is offered
// again, and that write then fails with the reason.
[[nodiscard]] bool writeAll(QIODevice &device, const char *data, qint64 size);

// Asks the system to put what was written to the open file on the disk, and
// whether it could.
[[nodiscard]] bool syncToDisk(QFileDevice &file);

// A file that appears whole or not at all, in place of whatever stood at its
// path. A QSaveFile alone takes a failed last flush and a failed sync for
// success and puts a cut file in place; here every write goes straight to the
// system and fails there, and the sync is checked before the rename.
class WholeFile
{
public:
    explicit WholeFile(const QString &path);

    [[nodiscard]] Result<> open();
    // Unbuffered: a failed write shows at once.
    [[nodiscard]] QFileDevice &device() { return m_file; }
    // Everything written so far is on the disk.
    [[nodiscard]] Result<> sync();
    // Syncs and puts the file in place. Without a commit the file goes.
    [[nodiscard]] Result<> commit();

private:
    QSaveFile m_file;
    bool m_synced = false;
};
