#pragma once

#include "base/Result.h"

#include <QString>

// Where the program writes what it makes (the new playlist, its backup, the
// repair script) and where the open-file dialog starts: next to the program
// when that folder takes a new file, as a copy unpacked in a user's folder
// does; otherwise, as for an installed program, the user's documents folder
// "Kelvaro", made when first needed.
struct OutputFolder
{
    QString path;
    bool besideProgram = false;

    // Decided by really creating (and removing) a file, each time it is asked.
    [[nodiscard]] static Result<OutputFolder> choose(const QString &programFolder);
    [[nodiscard]] static QString userFolder();
};
