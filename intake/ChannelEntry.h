#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

// The terms every reader of the working files shares, on a line's bytes.
// They look only at ASCII, so they give the same answer on the bytes as on
// the decoded text.
namespace channelEntry {

inline constexpr QByteArrayView entryTag = "EXTINF";
inline constexpr QByteArrayView headerTag = "EXTM3U";
inline constexpr QByteArrayView groupTag = "EXTGRP";

[[nodiscard]] inline bool isEntry(QByteArrayView line) noexcept
{
    return line.contains(entryTag);
}

[[nodiscard]] inline bool isHeader(QByteArrayView line) noexcept
{
    return line.contains(headerTag);
}

// The part of a line that a reader in this mode sees: DecodeUTF8 stops at the
// first zero byte, ANSI text keeps the whole line. Every walk over the working
// files decides "is this a channel entry" on this part, so the channel index
// stays the same in all of them.
[[nodiscard]] QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept;

// The text after the first comma, or the whole line without a comma.
[[nodiscard]] QByteArrayView name(QByteArrayView entry) noexcept;

} // namespace channelEntry
