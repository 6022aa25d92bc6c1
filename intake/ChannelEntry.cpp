#include "intake/ChannelEntry.h"

#include "encoding/Utf8.h"

#include <cstring>

namespace channelEntry {

QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept
{
    return mode == InputMode::Utf8 ? utf8::beforeNul(line) : line;
}

QByteArrayView name(QByteArrayView entry) noexcept
{
    const auto comma = static_cast<const char *>(std::memchr(entry.data(), ',', size_t(entry.size())));
    return comma ? entry.sliced(comma + 1 - entry.data()) : entry;
}

} // namespace channelEntry
