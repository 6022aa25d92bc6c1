#include "intake/ChannelEntry.h"

#include "encoding/Utf8.h"

namespace channelEntry {

QByteArrayView readPart(QByteArrayView line, InputMode mode) noexcept
{
    return mode == InputMode::Utf8 ? utf8::beforeNul(line) : line;
}

QByteArrayView trimSpaces(QByteArrayView line) noexcept
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && line[begin] == ' ')
        ++begin;
    while (end > begin && line[end - 1] == ' ')
        --end;
    return line.sliced(begin, end - begin);
}

QByteArrayView name(QByteArrayView entry) noexcept
{
    const qsizetype comma = entry.indexOf(',');
    return comma < 0 ? entry : entry.sliced(comma + 1);
}

} // namespace channelEntry
