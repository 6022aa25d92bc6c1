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
    const char *const begin = entry.data();
    const char *const end = begin + entry.size();
    const auto find = [](const char *from, char c, const char *to) {
        return from < to ? static_cast<const char *>(std::memchr(from, c, size_t(to - from))) : nullptr;
    };
    const char *const first = find(begin, ',', end);
    if (!first)
        return entry;
    const auto after = [&](const char *comma) { return entry.sliced(comma + 1 - begin); };
    // From quote to quote: a comma with no opening quote before it is outside.
    for (const char *p = begin, *comma = first;;) {
        const char *const opening = find(p, '"', comma);
        if (!opening)
            return after(comma);
        const char *const closing = find(opening + 1, '"', end);
        if (!closing)
            return after(first); // every comma left is inside the quotes
        p = closing + 1;
        if (comma < p)
            comma = find(p, ',', end);
        if (!comma)
            return after(first);
    }
}

} // namespace channelEntry
