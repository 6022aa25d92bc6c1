#include "writer/EarlyWriteback.h"

#include <QFileDevice>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#endif

EarlyWriteback::EarlyWriteback(QFileDevice &file)
    : m_file(file)
{
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 EarlyWriteback::writeData(const char *data, qint64 size)
{
    const qint64 written = m_file.write(data, size);
    if (written <= 0) {
        setErrorString(m_file.errorString());
        return written;
    }
    m_written += written;
#ifdef Q_OS_LINUX
    if (m_written - m_handedOn >= stretch && m_file.flush()) {
        // Only starts the writing; an error shows at the final flush.
        (void)::sync_file_range(m_file.handle(), m_handedOn, m_written - m_handedOn, SYNC_FILE_RANGE_WRITE);
        m_handedOn = m_written;
    }
#endif
    return written;
}
