#pragma once

#include <QObject>

#include <atomic>
#include <functional>

class QThread;

// Runs one piece of long work at a time on a thread of its own, so that the
// window is never held up by it. The work hands what it has done so far to
// this object's thread with post(); `done` runs there after the work has
// returned and everything it posted has been handled.
class BackgroundTask : public QObject
{
    Q_OBJECT
public:
    explicit BackgroundTask(QObject *parent = nullptr);
    ~BackgroundTask() override; // stop()

    [[nodiscard]] bool isRunning() const { return m_thread != nullptr; }
    // False when no thread could be started: neither runs then.
    [[nodiscard]] bool start(std::function<void()> work, std::function<void()> done);

    // From the work's thread: runs `call` on this object's thread, in order.
    void post(std::function<void()> call);
    // The work checks it often and returns soon once it is set.
    [[nodiscard]] bool stopRequested() const { return m_stopRequested.load(std::memory_order_relaxed); }

    // Asks the running work to stop and waits until it has returned; neither
    // `done` nor anything it posted and was not handled yet runs afterwards.
    void stop();

private:
    void finish();
    void endThread();

    QThread *m_thread = nullptr;
    std::function<void()> m_done;
    std::atomic<bool> m_stopRequested = false;
    // Calls posted by a work that was stopped are dropped.
    std::atomic<int> m_generation = 0;
};
