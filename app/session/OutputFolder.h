#pragma once

#include "base/Result.h"

#include <QString>

// Where the program writes what it makes (the new playlist, its backup, the
// repair script) and where the open-file dialog starts: next to the program
// when that folder takes a new file, as a copy unpacked in a user's folder
// does; otherwise, as for an installed program, the user's documents folder
// "Kelvaro", made when something is first written there.
struct OutputFolder
{
    QString path;
    bool besideProgram = false;

    // Decided by really creating (and removing) a file, each time it is asked.
    // The folder to write into, made if need be.
    [[nodiscard]] static Result<OutputFolder> choose(const QString &programFolder);
    // Where the open-file dialog starts: the folder choose() gives if it is
    // there already, else the documents folder. Makes nothing.
    [[nodiscard]] static QString dialogFolder(const QString &programFolder);
    [[nodiscard]] static QString userFolder();
};
