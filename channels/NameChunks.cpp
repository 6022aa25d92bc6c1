#include "channels/NameChunks.h"

#include <algorithm>

QByteArrayView NameChunks::bytes(qsizetype row) const
{
    const auto chunk = std::upper_bound(m_starts.begin(), m_starts.end(), row) - 1;
    return m_chunks[size_t(chunk - m_starts.begin())]->bytes(row - *chunk);
}

QString NameChunks::text(qsizetype row) const
{
    const auto chunk = std::upper_bound(m_starts.begin(), m_starts.end(), row) - 1;
    return m_chunks[size_t(chunk - m_starts.begin())]->text(row - *chunk);
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
