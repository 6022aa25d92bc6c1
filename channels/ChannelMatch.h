#pragma once

#include "base/Result.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

class Progress;

// The channels of one side, as UTF-8: names without duplicate markers
// (U+0001) and tvg-ids (empty: none), one of each per channel. The views
// must stay valid while the sides are matched.
struct MatchSide
{
    std::vector<QByteArrayView> names;
    std::vector<QByteArrayView> tvgIds;
};

// Finds the channels of a previous playlist in a newly loaded one. Only
// evidence counts, strongest first:
//   1. the same tvg-id and the same name;
//   2. the same name;
//   3. the same tvg-id up to an "@" (providers add feed suffixes such as
//      "@SD") and the same name core;
//   4. the same name core;
//   5. the same tvg-id, held by exactly one channel on each side.
// Each level pairs what the levels before left free, over the whole lists, so
// a weak match never takes a channel that a stronger one needs. Namesakes
// pair in file order: the second «Первый канал» goes to the second. An empty
// name, core or id is no evidence. Nothing is guessed: a channel without such
// a match is not found.
namespace channelMatch {

// The name compared loosely: case folded and «ё» taken as «е», runs of blanks
// (spaces, tabs) as one space and none at the ends, without bracketed tags
// such as "[Not 24/7]" and resolution tags such as "(720p)" or "(1080i)".
[[nodiscard]] QByteArray nameCore(QByteArrayView utf8Name);

// For each previous channel, in order, the index of the loaded channel it
// matches, or -1.
[[nodiscard]] Result<std::vector<qint32>> match(const MatchSide &previous, const MatchSide &loaded,
                                                Progress &progress);

} // namespace channelMatch
