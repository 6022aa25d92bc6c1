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

std::optional<QByteArrayView> attributeValue(QByteArrayView entry, QByteArrayView key) noexcept
{
    const char *const begin = entry.data();
    const char *const end = begin + entry.size();
    // Byte by byte between the quoted values, which are passed over whole:
    // keys are short, values (addresses, user agents) long. The '=' ends a key.
    for (const char *p = begin; p < end; ++p) {
        if (*p == '"') {
            p = static_cast<const char *>(std::memchr(p + 1, '"', size_t(end - p - 1)));
            if (!p)
                return std::nullopt;
            continue;
        }
        if (*p == ',')
            return std::nullopt; // the name begins
        const char *const keyStart = p - key.size();
        if (*p != '=' || keyStart - 1 < begin || p[-1] != key.back() || keyStart[-1] != ' '
            || std::memcmp(keyStart, key.data(), size_t(key.size())) != 0)
            continue;
        if (p + 1 < end && p[1] == '"') {
            const auto closing = static_cast<const char *>(std::memchr(p + 2, '"', size_t(end - p - 2)));
            if (!closing)
                return std::nullopt;
            return entry.sliced(p + 2 - begin, closing - p - 2);
        }
        const char *valueEnd = p + 1;
        while (valueEnd < end && *valueEnd != ' ' && *valueEnd != ',')
            ++valueEnd;
        return entry.sliced(p + 1 - begin, valueEnd - p - 1);
    }
    return std::nullopt;
}

} // namespace channelEntry
