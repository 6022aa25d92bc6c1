#pragma once

#include "app/TimeSlice.h"
#include "encoding/InputMode.h"
#include "intake/PassResult.h"

#include <QString>

#include <functional>

class Normaliser;
class WorkingFiles;

// The passes that make and read the working files. Each opens what it needs,
// closes it before it returns, and leaves no half-made working file behind.
namespace passes {

// The playlist file into a new raw copy. It does not yield: the copy is fast
// and nothing else may touch the raw copy while it grows.
[[nodiscard]] PassResult makeRawCopy(const QString &playlistPath, WorkingFiles &files);

// The raw copy into a new normalised copy, in the given input mode.
[[nodiscard]] PassResult makeNormalisedCopy(WorkingFiles &files, Normaliser &normaliser, InputMode mode,
                                            TimeSlice &slice);

// The channel names of the normalised copy (duplicate markers included), in
// file order.
[[nodiscard]] PassResult readChannelNames(WorkingFiles &files, InputMode mode, TimeSlice &slice,
                                          const std::function<void(QString &&name)> &onName);

} // namespace passes
