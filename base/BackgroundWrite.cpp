#include "base/BackgroundWrite.h"

#include "base/WholeFile.h"

#include <system_error>

bool BackgroundWrite::start(const char *data, qsizetype size)
{
    if (!wait())
        return false;
    if (size == 0)
        return true;
    try {
        m_writing = std::async(std::launch::async,
                               [&device = m_device, data, size] { return writeAll(device, data, size); });
    } catch (const std::system_error &) {
        m_failed = !writeAll(m_device, data, size);
    }
    return !m_failed;
}

bool BackgroundWrite::writeNow(const char *data, qsizetype size)
{
    if (wait() && !writeAll(m_device, data, size))
        m_failed = true;
    return !m_failed;
}

bool BackgroundWrite::wait()
{
    if (m_writing.valid() && !m_writing.get())
        m_failed = true;
    return !m_failed;
}
