#pragma once

#include <QString>

namespace messages {

// Any operation that finds no working files: nothing is loaded.
inline QString loadPlaylistFirst()
{
    return QStringLiteral("Сначала загрузите плейлист в программу!");
}

} // namespace messages
