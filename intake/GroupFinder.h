#pragma once

#include "encoding/InputMode.h"

#include <QByteArrayView>

#include <string>

// The group of each channel, learnt as its lines pass: its group-title value;
// without one, the first #EXTGRP: line among its lines (up to the next entry)
// that names one; without that, the last #EXTGRP: line before it; without
// any, no group. An empty value names no group. Lines come as the normalised
// copy holds them, trimmed and in the copy's bytes; a group name is cut at
// maxBytes, as no list shows more of it.
class GroupFinder
{
public:
    static constexpr qsizetype maxBytes = 4096;

    explicit GroupFinder(InputMode mode)
        : m_mode(mode)
    {
    }

    // An entry line begins the next channel.
    void beginEntry(QByteArrayView entryLine)
    {
        m_amongSeen = false;
        m_beforeKept = false;
        readTitle(entryLine);
    }
    // Any other line; an #EXTGRP: line names a group. Addresses, the most
    // lines by far, are told apart by their first byte.
    void otherLine(QByteArrayView line)
    {
        if (!line.isEmpty() && line.front() == '#')
            readGroupLine(line);
    }
    // The group of the channel begun last, empty for none; valid until the
    // next call.
    [[nodiscard]] QByteArrayView group() const;

private:
    void readTitle(QByteArrayView entryLine);
    void readGroupLine(QByteArrayView line);
    void keep(std::string &into, QByteArrayView value) const;

    InputMode m_mode;
    // Kept in buffers that are reused: a million channels make no million
    // allocations.
    std::string m_title;  // the entry's group-title
    std::string m_among;  // the first #EXTGRP: among its lines that names one
    std::string m_before; // the last #EXTGRP: before it, once a later one came
    std::string m_last;   // the last #EXTGRP: so far
    bool m_amongSeen = false;
    bool m_beforeKept = false;
};
