#include "base/BackgroundWrite.h"

#include "base/AppendBytes.h"
#include "base/WholeFile.h"

#include <system_error>

BackgroundWrite::~BackgroundWrite()
{
    if (!m_thread.joinable())
        return;
    {
        const std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join(); // after the block in flight
}

bool BackgroundWrite::start(const char *data, qsizetype size)
{
    if (!wait())
        return false;
    if (size == 0)
        return true;
    if (!m_thread.joinable()) {
        try {
            m_thread = std::thread([this] { run(); });
        } catch (const std::system_error &) {
            return writeNow(data, size);
        }
    }
    {
        const std::lock_guard lock(m_mutex);
        m_data = data;
        m_size = size;
        m_busy = true;
    }
    m_changed.notify_all();
    return true;
}

bool BackgroundWrite::startBlock(QByteArray &block, qsizetype bytes)
{
    if (!wait())
        return false;
    std::swap(block, m_block);
    block.truncate(0); // keeps the capacity
    appendBytes(block, QByteArrayView(m_block).sliced(bytes));
    return start(m_block.constData(), bytes);
}

bool BackgroundWrite::writeNow(const char *data, qsizetype size)
{
    if (wait() && !writeAll(m_device, data, size))
        m_failed = true;
    return !m_failed;
}

bool BackgroundWrite::wait()
{
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return !m_busy; });
    return !m_failed;
}

void BackgroundWrite::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_busy || m_quit; });
        if (!m_busy)
            return;
        const char *const data = m_data;
        const qsizetype size = m_size;
        lock.unlock();
        const bool written = writeAll(m_device, data, size);
        lock.lock();
        if (!written)
            m_failed = true;
        m_busy = false;
        m_changed.notify_all();
    }
}
