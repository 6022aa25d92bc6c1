#include "intake/ChannelEntry.h"

#include "encoding/Utf8.h"

#include <array>

namespace channelEntry {

namespace {

constexpr std::array<bool, 256> changedInListedForm = [] {
    std::array<bool, 256> table{};
    for (const char c : {'#', '[', ']'})
        table[uchar(c)] = true;
    return table;
}();

} // namespace

QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept
{
    return mode == InputMode::Utf8 ? utf8::beforeNul(line) : line;
}

QByteArrayView listedForm(QByteArrayView rawLine, QByteArray &scratch)
{
    const char *const begin = rawLine.data();
    const char *const end = begin + rawLine.size();
    const auto nextChanged = [end](const char *p) {
        while (p < end && !changedInListedForm[uchar(*p)])
            ++p;
        return p;
    };
    const char *p = nextChanged(begin);
    if (p == end)
        return rawLine;
    // Runs between the characters that change are copied whole: an entry
    // line's only one is mostly the "#" it starts with.
    scratch.resize(rawLine.size());
    char *o = scratch.data();
    for (const char *run = begin;; run = ++p, p = nextChanged(p)) {
        std::memcpy(o, run, size_t(p - run));
        o += p - run;
        if (p == end)
            break;
        if (*p != '#')
            *o++ = *p == '[' ? '(' : ')';
    }
    scratch.truncate(o - scratch.data());
    return scratch;
}

bool isRawEntry(QByteArrayView rawLine, InputMode mode, QByteArray &scratch)
{
    const QByteArrayView part = readPart(rawLine, mode);
    // Dropping "#" can only join the tag, never break it.
    if (isEntry(part))
        return true;
    return part.contains('#') && isEntry(listedForm(part, scratch));
}

QByteArrayView name(QByteArrayView entry) noexcept
{
    const char *const begin = entry.data();
    const char *const end = begin + entry.size();
    const auto first = static_cast<const char *>(std::memchr(begin, ',', size_t(entry.size())));
    if (!first)
        return entry;
    const auto after = [&](const char *comma) { return entry.sliced(comma + 1 - begin); };
    // Most lines hold no quote before their first comma.
    if (!std::memchr(begin, '"', size_t(first - begin)))
        return after(first);
    bool quoted = false;
    for (const char *p = begin; p < end; ++p) {
        if (*p == '"')
            quoted = !quoted;
        else if (*p == ',' && !quoted)
            return after(p);
    }
    return after(first);
}

} // namespace channelEntry
