#include "intake/GroupFinder.h"

#include "encoding/Text.h"
#include "encoding/Utf8.h"
#include "intake/ChannelEntry.h"

#include <algorithm>

namespace {

constexpr QByteArrayView groupLine("#EXTGRP:");
constexpr QByteArrayView titleKey("group-title");

QByteArrayView viewOf(const std::string &s)
{
    return QByteArrayView(s.data(), qsizetype(s.size()));
}

} // namespace

void GroupFinder::keep(std::string &into, QByteArrayView value) const
{
    value = trimSpaces(value);
    value = m_mode == InputMode::Utf8 ? utf8::truncated(value, maxBytes) : value.first(std::min(value.size(), maxBytes));
    into.assign(value.data(), size_t(value.size()));
}

void GroupFinder::readTitle(QByteArrayView entryLine)
{
    // Duplicate markers end a line that has no comma: no part of a value.
    while (entryLine.endsWith('\x01'))
        entryLine.chop(1);
    if (const std::optional<QByteArrayView> title = channelEntry::attributeValue(entryLine, titleKey))
        keep(m_title, *title);
    else
        m_title.clear();
}

void GroupFinder::readGroupLine(QByteArrayView line)
{
    if (!line.startsWith(groupLine))
        return;
    // The group before the entry is copied only once a line among its own
    // changes the last one.
    if (!m_beforeKept) {
        m_before = m_last;
        m_beforeKept = true;
    }
    keep(m_last, line.sliced(groupLine.size()));
    if (!m_amongSeen && !m_last.empty()) {
        m_among = m_last;
        m_amongSeen = true;
    }
}

QByteArrayView GroupFinder::group() const
{
    if (!m_title.empty())
        return viewOf(m_title);
    if (m_amongSeen)
        return viewOf(m_among);
    return viewOf(m_beforeKept ? m_before : m_last);
}
