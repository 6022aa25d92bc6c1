#pragma once

#include "base/Result.h"
#include "channels/NameChunks.h"

#include <QByteArray>
#include <QByteArrayView>

#include <vector>

class Progress;

// The channel names made ready to be searched as one types: each folded
// (textFold: case and «ё» aside) into UTF-8, without its duplicate markers,
// one after the other in one buffer with a line break after each, which no
// query holds. A search over a million names is then one pass over that
// buffer rather than a million conversions.
class FilterIndex
{
public:
    [[nodiscard]] static Result<FilterIndex> build(const NameChunks &names, Progress &progress);

    [[nodiscard]] qsizetype count() const { return qsizetype(m_starts.size()) - 1; }
    [[nodiscard]] QByteArrayView all() const { return m_bytes; }
    [[nodiscard]] QByteArrayView folded(qsizetype channel) const
    {
        const qsizetype start = m_starts[size_t(channel)];
        return QByteArrayView(m_bytes).sliced(start, m_starts[size_t(channel) + 1] - 1 - start);
    }
    [[nodiscard]] qsizetype startOf(qsizetype channel) const { return m_starts[size_t(channel)]; }
    // The channel whose name holds the byte at this offset, looked for from
    // `from` on (hits come in order).
    [[nodiscard]] qsizetype channelAt(qsizetype offset, qsizetype from) const;

private:
    QByteArray m_bytes;
    std::vector<qsizetype> m_starts; // of each name, and the end
};
