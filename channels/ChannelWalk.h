#pragma once

#include "app/TimeSlice.h"
#include "encoding/InputMode.h"
#include "intake/PassResult.h"

#include <functional>

class QIODevice;

// The walk of "Создать" over the raw copy: the i-th channel entry stands for
// item i of the source list. An entry is recognised exactly as the
// normaliser recognised it when the list was made (same mode, same part of
// the line), so the index cannot slip.
namespace channelWalk {

// Calls onEntry(i) for each channel entry i of the raw copy, up to but not
// including limit (the source list's item count).
[[nodiscard]] PassResult forEachEntry(QIODevice &rawCopy, InputMode mode, int limit, TimeSlice &slice,
                                      const std::function<void(int index)> &onEntry);

} // namespace channelWalk
