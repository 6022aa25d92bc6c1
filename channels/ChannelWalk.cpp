#include "channels/ChannelWalk.h"

#include "intake/ChannelEntry.h"
#include "intake/LineReader.h"
#include "intake/Passes.h"
#include "base/Progress.h"

namespace channelWalk {

namespace {

// A raw line too long to be held, from the reader's pieces.
bool isLongRawEntry(LineReader &reader, QByteArrayView first, InputMode mode)
{
    channelEntry::TagFinder entryTag(channelEntry::entryTag);
    passes::forEachLongLinePart(reader, first, mode, [&](QByteArrayView part) { entryTag.feed(part); });
    return entryTag.found();
}

} // namespace

Result<> forEachEntry(QIODevice &rawCopy, InputMode mode, int limit, Progress &progress,
                      const std::function<void(int index)> &onEntry, qsizetype longLine)
{
    LineReader reader(rawCopy, LineReader::defaultBlockSize, longLine);
    QByteArrayView line;
    int position = -1;
    while (position + 1 < limit && reader.next(line)) {
        const bool entry = reader.inPieces() ? isLongRawEntry(reader, line, mode)
                                             : channelEntry::isEntry(reader.readPart(line, mode));
        if (entry)
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
