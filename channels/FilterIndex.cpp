#include "channels/FilterIndex.h"

#include "base/Progress.h"
#include "encoding/Ansi.h"
#include "encoding/TextFold.h"

#include <algorithm>

Result<FilterIndex> FilterIndex::build(const NameChunks &names, Progress &progress)
{
    FilterIndex index;
    index.m_starts.reserve(size_t(names.count()) + 1);
    // Made to measure at once: grown by doubling, a million names would
    // take twice their room for a moment.
    qsizetype bytes = names.count();
    for (qsizetype channel = 0; channel < names.count(); ++channel)
        bytes += names.bytes(channel).size();
    index.m_bytes.reserve(bytes);
    QByteArray utf8;
    for (qsizetype channel = 0; channel < names.count(); ++channel) {
        QByteArrayView name = names.bytes(channel);
        while (name.endsWith('\x01'))
            name.chop(1);
        if (names.encoding() == InputMode::Ansi) {
            utf8.truncate(0);
            ansi::appendAsUtf8(name, utf8);
            name = utf8;
        }
        index.m_starts.push_back(index.m_bytes.size());
        textFold::appendFolded(name, index.m_bytes);
        index.m_bytes.append('\n');
        if (!progress.next())
            return Stopped{};
    }
    index.m_starts.push_back(index.m_bytes.size());
    index.m_bytes.squeeze();
    return index;
}

qsizetype FilterIndex::channelAt(qsizetype offset, qsizetype from) const
{
    const auto begin = m_starts.begin() + from;
    return std::upper_bound(begin, m_starts.end() - 1, offset) - m_starts.begin() - 1;
}
