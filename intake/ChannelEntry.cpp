#include "intake/ChannelEntry.h"

#include "encoding/Utf8.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace channelEntry {

namespace {

// What the listed form changes: "#" goes, brackets become parentheses.
constexpr std::array<char, 3> changedInListedForm{'#', '[', ']'};

} // namespace

QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept
{
    return mode == InputMode::Utf8 ? utf8::beforeNul(line) : line;
}

QByteArrayView listedForm(QByteArrayView rawLine, QByteArray &scratch)
{
    if (rawLine.isEmpty())
        return rawLine; // its data may be null, which memchr may not be given
    const char *const begin = rawLine.data();
    const char *const end = begin + rawLine.size();
    // The next of each character that changes, found by a search of its own
    // (memchr is many times faster than a look-up per byte).
    std::array<const char *, changedInListedForm.size()> next;
    const auto find = [end](const char *from, char c) {
        const auto found = static_cast<const char *>(std::memchr(from, c, size_t(end - from)));
        return found ? found : end;
    };
    for (size_t i = 0; i < next.size(); ++i)
        next[i] = find(begin, changedInListedForm[i]);
    const char *p = *std::min_element(next.begin(), next.end());
    if (p == end)
        return rawLine;
    scratch.resize(rawLine.size());
    char *o = scratch.data();
    for (const char *run = begin;;) {
        std::memcpy(o, run, size_t(p - run));
        o += p - run;
        if (p == end)
            break;
        if (*p != '#')
            *o++ = *p == '[' ? '(' : ')';
        for (size_t i = 0; i < next.size(); ++i) {
            if (next[i] == p)
                next[i] = find(p + 1, changedInListedForm[i]);
        }
        run = p + 1;
        p = *std::min_element(next.begin(), next.end());
    }
    scratch.truncate(o - scratch.data());
    return scratch;
}

bool isEntryPart(QByteArrayView part, QByteArray &scratch)
{
    // The tag's X is looked for once: most lines that are no entry have none,
    // and dropping "#" brings none in.
    if (part.isEmpty())
        return false; // its data may be null, which memchr may not be given
    const auto x = static_cast<const char *>(std::memchr(part.data(), 'X', size_t(part.size())));
    if (!x)
        return false;
    const qsizetype at = x - part.data() - 1; // where the tag would begin
    if (at >= 0 && part.sliced(at).startsWith(entryTag))
        return true;
    if (findTag(part, entryTag, at + 1) >= 0)
        return true;
    return std::memchr(part.data(), '#', size_t(part.size())) && isEntry(listedForm(part, scratch));
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
