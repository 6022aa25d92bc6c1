#include "channels/ChannelWalk.h"

#include "intake/ChannelEntry.h"
#include "intake/LineReader.h"

#include <QFileDevice>

namespace channelWalk {

PassResult forEachEntry(QIODevice &rawCopy, InputMode mode, int limit, TimeSlice &slice,
                        const std::function<void(int index)> &onEntry)
{
    LineReader reader(rawCopy);
    QByteArrayView line;
    int position = -1;
    while (position + 1 < limit && reader.next(line)) {
        if (channelEntry::isEntry(channelEntry::readPart(line, mode)))
            onEntry(++position);
        if (!slice.next())
            return PassResult::stopped();
    }
    if (reader.failed()) {
        auto file = qobject_cast<QFileDevice *>(&rawCopy);
        return PassResult::failed({FileFailure::Action::Read, file ? file->fileName() : QString(),
                                   rawCopy.errorString()});
    }
    return PassResult::done();
}

} // namespace channelWalk
