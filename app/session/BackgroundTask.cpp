#include "app/session/BackgroundTask.h"

#include <QThread>

BackgroundTask::BackgroundTask(QObject *parent)
    : QObject(parent)
{
}

BackgroundTask::~BackgroundTask()
{
    stop();
}

bool BackgroundTask::start(std::function<void()> work, std::function<void()> done)
{
    Q_ASSERT(!m_thread);
    m_stopRequested = false;
    m_done = std::move(done);
    m_thread = QThread::create(std::move(work));
    const int generation = m_generation;
    connect(m_thread, &QThread::finished, this, [this, generation] {
        if (generation == m_generation)
            finish();
    }, Qt::QueuedConnection);
    m_thread->start();
    if (!m_thread->isRunning() && !m_thread->isFinished()) {
        // No thread to be had (no memory for its stack, say).
        delete m_thread;
        m_thread = nullptr;
        m_done = {};
        return false;
    }
    return true;
}

void BackgroundTask::post(std::function<void()> call)
{
    QMetaObject::invokeMethod(this, [this, generation = m_generation.load(), call = std::move(call)] {
        if (generation == m_generation)
            call();
    }, Qt::QueuedConnection);
}

void BackgroundTask::stop()
{
    if (!m_thread)
        return;
    m_stopRequested = true;
    ++m_generation;
    endThread();
    m_done = {};
}

void BackgroundTask::finish()
{
    endThread();
    if (auto done = std::exchange(m_done, {}))
        done();
}

void BackgroundTask::endThread()
{
    m_thread->wait();
    delete m_thread;
    m_thread = nullptr;
}
