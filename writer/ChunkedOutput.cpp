#include "writer/ChunkedOutput.h"

#include <QIODevice>

ChunkedOutput::ChunkedOutput(QIODevice &device, qsizetype chunkBytes)
    : m_chunkBytes(std::max<qsizetype>(chunkBytes, 1))
    , m_write(device)
{
    m_buffer.reserve(m_chunkBytes);
}

void ChunkedOutput::append(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    if (m_pending && m_pending + m_pendingSize == bytes.data()) {
        m_pendingSize += bytes.size();
        return;
    }
    takePending();
    m_pending = bytes.data();
    m_pendingSize = bytes.size();
}

void ChunkedOutput::appendCopy(QByteArrayView bytes)
{
    takePending();
    m_buffer.append(bytes);
    if (m_buffer.size() >= m_chunkBytes)
        flushBuffer();
}

bool ChunkedOutput::finish()
{
    takePending();
    const bool written = m_write.writeNow(m_buffer.constData(), m_buffer.size());
    m_buffer.resize(0);
    return written;
}

void ChunkedOutput::takePending()
{
    if (!m_pending)
        return;
    if (m_pendingSize >= m_chunkBytes) {
        // Big enough to go out as it is, without a copy.
        flushBuffer();
        (void)m_write.start(m_pending, m_pendingSize);
    } else {
        m_buffer.append(m_pending, m_pendingSize);
        if (m_buffer.size() >= m_chunkBytes)
            flushBuffer();
    }
    m_pending = nullptr;
    m_pendingSize = 0;
}

void ChunkedOutput::flushBuffer()
{
    if (!m_buffer.isEmpty())
        (void)m_write.startBlock(m_buffer, m_buffer.size());
}
