#pragma once

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

class QIODevice;

// Hands blocks to a device on a thread of its own while the pass makes the
// next one: copying a block into the system's file cache takes about as long
// as making it, and a second core does it meanwhile. One block is in flight
// at a time; its bytes must stay as they are until the next start() or wait()
// has returned. Without a thread to be had, a block is written at once.
class BackgroundWrite
{
public:
    explicit BackgroundWrite(QIODevice &device)
        : m_device(device)
    {
    }
    ~BackgroundWrite();
    BackgroundWrite(const BackgroundWrite &) = delete;
    BackgroundWrite &operator=(const BackgroundWrite &) = delete;

    // Waits for the block before, then starts this one. False when a write
    // failed, now or before: after that nothing more is written. The reason
    // is the device's errorString().
    [[nodiscard]] bool start(const char *data, qsizetype size);
    // The same for the first `bytes` of a block being filled: the block is
    // taken over as it is, and what follows those bytes starts the next one,
    // which `block` then is.
    [[nodiscard]] bool startBlock(QByteArray &block, qsizetype bytes);
    // The same, written here and now: for the last block, which nothing
    // would be made during.
    [[nodiscard]] bool writeNow(const char *data, qsizetype size);
    // Waits for the block in flight; false when any write failed.
    [[nodiscard]] bool wait();
    // A failure known so far, without waiting.
    [[nodiscard]] bool failed() const { return m_failed; }

private:
    void run();

    QIODevice &m_device;
    std::atomic<bool> m_failed = false;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    // The block in flight, while m_busy; guarded by m_mutex.
    const char *m_data = nullptr;
    qsizetype m_size = 0;
    bool m_busy = false;
    bool m_quit = false;
    QByteArray m_block; // the block taken over by startBlock()
    std::thread m_thread; // made with the first block
};
