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
    const auto find = [](const char *from, char c, const char *to) {
        return from < to ? static_cast<const char *>(std::memchr(from, c, size_t(to - from))) : nullptr;
    };
    // From quote to quote: keys stand between the quoted values, and an '='
    // ends each of them.
    for (const char *p = begin; p < end;) {
        const char *const quote = find(p, '"', end);
        const char *const comma = find(p, ',', quote ? quote : end);
        const char *const stop = comma ? comma : quote ? quote : end;
        for (const char *eq = find(p, '=', stop); eq; eq = find(eq + 1, '=', stop)) {
            const char *const keyStart = eq - key.size();
            if (keyStart - 1 < p || keyStart[-1] != ' ' || std::memcmp(keyStart, key.data(), size_t(key.size())) != 0)
                continue;
            if (eq + 1 == quote) {
                const char *const closing = find(quote + 1, '"', end);
                if (!closing)
                    return std::nullopt;
                return entry.sliced(quote + 1 - begin, closing - quote - 1);
            }
            const char *valueEnd = eq + 1;
            while (valueEnd < end && *valueEnd != ' ' && *valueEnd != ',')
                ++valueEnd;
            return entry.sliced(eq + 1 - begin, valueEnd - eq - 1);
        }
        if (comma || !quote)
            return std::nullopt;
        const char *const closing = find(quote + 1, '"', end);
        if (!closing)
            return std::nullopt;
        p = closing + 1;
    }
    return std::nullopt;
}

} // namespace channelEntry
