#include "channels/NameChunks.h"

#include <algorithm>

std::pair<const NameList *, qsizetype> NameChunks::locate(qsizetype row) const
{
    const auto chunk = std::upper_bound(m_starts.begin(), m_starts.end(), row) - 1;
    return {m_chunks[size_t(chunk - m_starts.begin())].get(), row - *chunk};
}

QByteArrayView NameChunks::bytes(qsizetype row) const
{
    const auto [chunk, i] = locate(row);
    return chunk->bytes(i);
}

QString NameChunks::text(qsizetype row) const
{
    const auto [chunk, i] = locate(row);
    return chunk->text(i);
}

QString NameChunks::shownText(qsizetype row) const
{
    const auto [chunk, i] = locate(row);
    return chunk->shownText(i);
}

void NameChunks::append(std::shared_ptr<const NameList> chunk)
{
    Q_ASSERT(chunk->encoding() == m_encoding);
    if (chunk->isEmpty())
        return;
    m_starts.push_back(m_count);
    m_count += chunk->count();
    m_chunks.push_back(std::move(chunk));
}
