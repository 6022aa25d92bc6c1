#include "writer/ChunkedOutput.h"

#include <QIODevice>

ChunkedOutput::ChunkedOutput(QIODevice &device, qsizetype chunkBytes)
    : m_device(device)
    , m_chunkBytes(std::max<qsizetype>(chunkBytes, 1))
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
    flushBuffer();
    return !m_failed;
}

void ChunkedOutput::takePending()
{
    if (!m_pending)
        return;
    if (m_pendingSize >= m_chunkBytes) {
        // Big enough to go out as it is, without a copy.
        flushBuffer();
        writeToDevice(m_pending, m_pendingSize);
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
    writeToDevice(m_buffer.constData(), m_buffer.size());
    m_buffer.resize(0); // keeps the capacity
}

void ChunkedOutput::writeToDevice(const char *data, qsizetype size)
{
    while (!m_failed && size > 0) {
        const qint64 written = m_device.write(data, size);
        if (written <= 0) {
            m_failed = true;
            break;
        }
        data += written;
        size -= qsizetype(written);
    }
}
