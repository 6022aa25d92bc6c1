#pragma once

#include <QDir>
#include <QString>

// What the program tells the user, exactly as it is shown.
namespace messages {

// Any operation that finds no working files: nothing is loaded.
inline QString loadPlaylistFirst()
{
    return QStringLiteral("Сначала загрузите плейлист в программу!");
}

// Where a new file went: next to the program, or into the user's folder.
inline QString playlistSaved(bool besideProgram, const QString &folder)
{
    return besideProgram ? QStringLiteral("Плейлист создан рядом с программой!")
                         : QStringLiteral("Плейлист создан в папке:\n") + QDir::toNativeSeparators(folder);
}

inline QString fixScriptWritten(bool besideProgram, const QString &folder)
{
    return besideProgram ? QStringLiteral("Файл-фикс fix_krakozyabry.cmd создан рядом с программой!")
                         : QStringLiteral("Файл-фикс fix_krakozyabry.cmd создан в папке:\n")
            + QDir::toNativeSeparators(folder);
}

} // namespace messages
