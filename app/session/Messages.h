#pragma once

#include <QDir>
#include <QString>

// What the session tells the user, exactly as it is shown.
namespace messages {

// Any operation that finds no working files: nothing is loaded.
inline QString loadPlaylistFirst()
{
    return QStringLiteral("Сначала загрузите плейлист в программу!");
}

inline QString playlistSaved()
{
    return QStringLiteral("Плейлист создан рядом с программой!");
}

} // namespace messages
