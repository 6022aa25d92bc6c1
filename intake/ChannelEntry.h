#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>

// The terms every reader of the working files shares, on a line's bytes.
// They look only at ASCII, so they give the same answer on the bytes as on
// the decoded text.
namespace channelEntry {

inline constexpr QByteArrayView entryTag = "EXTINF";
inline constexpr QByteArrayView headerTag = "EXTM3U";
inline constexpr QByteArrayView groupTag = "EXTGRP";

// Whether the line holds the tag: a look at each "E" only, which is fast on
// the long stretches of a playlist without one.
[[nodiscard]] inline bool hasTag(QByteArrayView line, QByteArrayView tag) noexcept
{
    if (line.size() < tag.size())
        return false;
    const char *p = line.data();
    const char *const end = p + line.size() - tag.size() + 1;
    while (p < end) {
        p = static_cast<const char *>(std::memchr(p, tag.front(), size_t(end - p)));
        if (!p)
            return false;
        if (std::memcmp(p + 1, tag.data() + 1, size_t(tag.size() - 1)) == 0)
            return true;
        ++p;
    }
    return false;
}

[[nodiscard]] inline bool isEntry(QByteArrayView line) noexcept
{
    return hasTag(line, entryTag);
}

[[nodiscard]] inline bool isHeader(QByteArrayView line) noexcept
{
    return hasTag(line, headerTag);
}

// The part of a line that a reader in this mode sees: DecodeUTF8 stops at the
// first zero byte, ANSI text keeps the whole line. Every walk over the working
// files decides "is this a channel entry" on this part, so the channel index
// stays the same in all of them.
[[nodiscard]] QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept;

// A raw copy's line as the lists read it: "#" dropped, "[" and "]" as "(" and
// ")". The line itself when it holds none of them, else its form in scratch.
[[nodiscard]] QByteArrayView listedForm(QByteArrayView rawLine, QByteArray &scratch);

// Whether a line of the raw copy is a channel entry: EXTINF in the listed form
// of the part the mode reads.
[[nodiscard]] bool isRawEntry(QByteArrayView rawLine, InputMode mode, QByteArray &scratch);

// The channel name: the text after the first comma that is not inside a
// double-quoted attribute value (quotes counted from the start of the line);
// the text after the first comma when every comma is quoted; the whole line
// without a comma. Attribute values such as user agents hold commas.
[[nodiscard]] QByteArrayView name(QByteArrayView entry) noexcept;

} // namespace channelEntry
