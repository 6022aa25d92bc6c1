#pragma once

#include "encoding/InputMode.h"
#include "intake/Passes.h"
#include "base/Result.h"

#include <QString>

#include <functional>

class Normaliser;
class Progress;
class WorkingFiles;

// The file side of loading a playlist and of listing its channels again.
namespace intake {

// The load rests this long between writing the raw copy and reading it back.
// It is kept because the load has always taken it and users know its pace;
// it costs every load 100 ms, and a stop request ends it at once.
inline constexpr int pauseBetweenPassesMs = 100;

// The load: the playlist into a new raw copy, the pause, then the raw copy
// into a new normalised copy, its channels going to onChannel. The input
// mode is the one the bytes tell while they are copied (EncodingGuess), or
// `mode` when they are ASCII alone; onMode hears it before the first name.
// A load that fails or stops leaves no working file, as a cancelled one does.
Result<> loadPlaylist(const QString &playlistPath, WorkingFiles &files, Normaliser &normaliser, InputMode mode,
                      Progress &progress, const std::function<void(InputMode)> &onMode,
                      const passes::ChannelSink &onChannel);

// The encoding switch: the normalised copy made anew from the raw copy in the
// mode now set, its channels going to onChannel. NotLoaded when there was no
// normalised copy to replace, or no raw copy to read.
Result<> rebuildSourceList(WorkingFiles &files, Normaliser &normaliser, InputMode mode, Progress &progress,
                           const passes::ChannelSink &onChannel);

// Select-all: the channels of the normalised copy, without their groups,
// which the load found already.
Result<> listChannels(WorkingFiles &files, InputMode mode, Progress &progress, const passes::ChannelSink &onChannel);

// The tvg-id of every channel of the normalised copy, in file order, empty
// where an entry has none.
Result<> listTvgIds(WorkingFiles &files, InputMode mode, Progress &progress,
                    const std::function<void(QByteArrayView id)> &onEntry);

} // namespace intake
