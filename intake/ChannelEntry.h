#pragma once

#include "encoding/InputMode.h"

#include <QByteArray>
#include <QByteArrayView>

#include <cstring>
#include <optional>

// The terms every reader of the working files shares, on a line's bytes.
// They look only at ASCII, so they give the same answer on the bytes as on
// the decoded text.
namespace channelEntry {

inline constexpr QByteArrayView entryTag = "EXTINF";
inline constexpr QByteArrayView headerTag = "EXTM3U";
inline constexpr QByteArrayView groupTag = "EXTGRP";

// Where the tag stands first in the line from `from` on, or -1: a look at
// each "X" only. Every tag has it second, and addresses, full of the "E" of
// hex digits, seldom hold one.
[[nodiscard]] inline qsizetype findTag(QByteArrayView line, QByteArrayView tag, qsizetype from = 0) noexcept
{
    Q_ASSERT(tag.size() >= 2 && tag[1] == 'X');
    if (line.size() - from < tag.size())
        return -1;
    const char *const begin = line.data();
    const char *p = begin + from + 1;
    const char *const end = begin + line.size() - tag.size() + 2; // past the last place of the X
    while (p < end) {
        p = static_cast<const char *>(std::memchr(p, tag[1], size_t(end - p)));
        if (!p)
            return -1;
        if (p[-1] == tag[0] && std::memcmp(p + 1, tag.data() + 2, size_t(tag.size() - 2)) == 0)
            return p - 1 - begin;
        ++p;
    }
    return -1;
}

[[nodiscard]] inline bool hasTag(QByteArrayView line, QByteArrayView tag) noexcept
{
    return findTag(line, tag) >= 0;
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

// The channel name: the text after the first comma that is not inside a
// double-quoted attribute value (quotes counted from the start of the line);
// the text after the first comma when every comma is quoted; the whole line
// without a comma. Attribute values such as user agents hold commas.
[[nodiscard]] QByteArrayView name(QByteArrayView entry) noexcept;

// The value of an attribute such as tvg-id or group-title: `key=` after a
// blank, outside double quotes and before the name's comma; a quoted value
// without its quotes, any other up to a blank or comma. The first such
// attribute counts; none when its quoted value never closes. The same
// attributes the save cuts out.
[[nodiscard]] std::optional<QByteArrayView> attributeValue(QByteArrayView entry, QByteArrayView key) noexcept;

// Looks for a tag in a line that comes piece by piece (a line too long to be
// held). The tags have no part that both begins and ends them, so a mismatch
// starts the search again at the byte itself.
class TagFinder
{
public:
    explicit TagFinder(QByteArrayView tag)
        : m_tag(tag)
    {
    }

    void reset() { m_matched = 0; }
    void feed(QByteArrayView piece)
    {
        for (const char c : piece) {
            if (m_matched == m_tag.size())
                return;
            m_matched = c == m_tag[m_matched] ? m_matched + 1 : (c == m_tag[0] ? 1 : 0);
        }
    }
    [[nodiscard]] bool found() const { return m_matched == m_tag.size(); }

private:
    QByteArrayView m_tag;
    qsizetype m_matched = 0;
};

} // namespace channelEntry
