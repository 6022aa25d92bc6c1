#include "intake/ChannelEntry.h"

#include "encoding/Utf8.h"

namespace channelEntry {

QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept
{
    return mode == InputMode::Utf8 ? utf8::beforeNul(line) : line;
}

QByteArrayView name(QByteArrayView entry) noexcept
{
    const qsizetype comma = entry.indexOf(',');
    return comma < 0 ? entry : entry.sliced(comma + 1);
}

} // namespace channelEntry
