#pragma once

#include "base/Result.h"
#include "channels/NameChunks.h"
#include "channels/NameList.h"

#include <QString>
#include <QStringList>

#include <vector>

class PreviousPlaylist;
class Progress;

// What a previous playlist makes of the loaded one: the loaded channels it
// names, in its order, and the names of those the loaded one lacks.
struct PreviousChoice
{
    // Of the names not found, this many are kept to be told.
    static constexpr qsizetype namesTold = 20;

    std::vector<qint32> channels; // loaded channels, in the previous order
    qsizetype previousCount = 0;
    QStringList notFound;         // the first namesTold of them
    qsizetype notFoundCount = 0;
};

// Matches the previous playlist's channels to the loaded ones (channelMatch).
// loadedNames: the source list's names; loadedIds: their tvg-ids, one per
// channel, in the same encoding.
[[nodiscard]] Result<PreviousChoice> choosePrevious(const PreviousPlaylist &previous, const NameChunks &loadedNames,
                                                    const NameList &loadedIds, Progress &progress);
