#include "channels/ChannelWalk.h"

#include "intake/ChannelEntry.h"
#include "intake/LineReader.h"
#include "base/Progress.h"

namespace channelWalk {

Result<> forEachEntry(QIODevice &rawCopy, InputMode mode, int limit, Progress &progress,
                      const std::function<void(int index)> &onEntry)
{
    LineReader reader(rawCopy);
    QByteArrayView line;
    QByteArray scratch;
    int position = -1;
    while (position + 1 < limit && reader.next(line)) {
        if (channelEntry::isRawEntry(line, mode, scratch))
            onEntry(++position);
        if (!progress.next())
            return Stopped{};
    }
    if (reader.failed())
        return FileFailure::of(FileFailure::Action::Read, rawCopy);
    return {};
}

Result<> tickedRows(QIODevice &rawCopy, InputMode mode, const std::vector<char> &ticks, Progress &progress,
                    const std::function<void(int row)> &onTicked)
{
    return forEachEntry(rawCopy, mode, int(ticks.size()), progress, [&](int position) {
        if (ticks[size_t(position)])
            onTicked(position);
    });
}

} // namespace channelWalk
