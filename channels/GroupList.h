#pragma once

#include "channels/NameList.h"

#include <QString>

#include <vector>

// The groups of a playlist in the order they first appear, each with the
// number of its channels. Names are kept as the lists keep channel names.
class GroupList
{
public:
    explicit GroupList(InputMode encoding = InputMode::Utf8)
        : m_names(encoding)
    {
    }

    [[nodiscard]] int count() const { return int(m_channels.size()); }
    [[nodiscard]] QString text(int group) const { return m_names.shownText(group); }
    [[nodiscard]] int channels(int group) const { return m_channels[size_t(group)]; }

    // Groups that come after those already here, in order.
    void append(const NameList &names);
    void addChannel(qint32 group) { ++m_channels[size_t(group)]; }

private:
    NameList m_names;
    std::vector<int> m_channels;
};
