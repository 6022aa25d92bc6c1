#pragma once

#include "encoding/InputMode.h"
#include "base/Result.h"
#include "intake/LineReader.h"

#include <functional>
#include <vector>

class QIODevice;
class Progress;

// "Создать" walks the raw copy: the i-th channel entry stands for item i of
// the source list. An entry is recognised exactly as the normaliser recognised
// it when the list was made (same mode, same part of the line), so the index
// cannot slip.
namespace channelWalk {

// Calls onEntry(i) for each channel entry i of the raw copy, up to but not
// including limit (the source list's item count).
// A line longer than longLine is read in pieces, never held whole.
Result<> forEachEntry(QIODevice &rawCopy, InputMode mode, int limit, Progress &progress,
                      const std::function<void(int index)> &onEntry, qsizetype longLine = LineReader::defaultLongLine);

// The rows of the ticked items, in source-list order, as the walk over the
// raw copy meets their entries.
Result<> tickedRows(QIODevice &rawCopy, InputMode mode, const std::vector<char> &ticks, Progress &progress,
                    const std::function<void(int row)> &onTicked);

} // namespace channelWalk
