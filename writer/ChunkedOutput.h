#pragma once

#include "base/BackgroundWrite.h"

#include <QByteArray>
#include <QByteArrayView>

class QIODevice;

// Collects written lines and hands them to a device in large chunks, each
// written while the next is collected. Pieces that follow each other in memory
// (consecutive lines taken unchanged from the input) are joined before they
// are copied. After a failed write nothing more is written and failed() stays
// true (from the chunk after it on); the reason is the device's errorString()
// once finish() has returned.
class ChunkedOutput
{
public:
    ChunkedOutput(QIODevice &device, qsizetype chunkBytes);

    // The bytes must stay valid until finish() has returned.
    void append(QByteArrayView bytes);
    // The same for bytes that change right after: they are copied at once.
    void appendCopy(QByteArrayView bytes);
    // Writes what is left. False when a write failed, now or before.
    [[nodiscard]] bool finish();
    [[nodiscard]] bool failed() const { return m_write.failed(); }

private:
    void takePending();
    void flushBuffer();

    const qsizetype m_chunkBytes;
    QByteArray m_buffer;
    const char *m_pending = nullptr;
    qsizetype m_pendingSize = 0;
    BackgroundWrite m_write;
};
