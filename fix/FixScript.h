#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

// The command script that repairs garbled Cyrillic text on Windows: run as
// administrator, it replaces five code-page tables with the Cyrillic one
// (once, keeping backups) and maps nine fonts to their Cyrillic variants.

inline constexpr char fixScriptFileName[] = "fix_krakozyabry.cmd";

// The script's 29 lines, without line ends.
[[nodiscard]] QStringList fixScriptLines();

// The file's bytes: every line in Windows-1251 followed by CR LF, on any
// platform, because cmd.exe reads it.
[[nodiscard]] QByteArray fixScriptBytes();

[[nodiscard]] QString fixScriptPath(const QString &folder);

// Writes the script into the folder, replacing an older one. The file appears
// only when complete; on failure an existing script stays as it was.
Result<> writeFixScript(const QString &folder);
