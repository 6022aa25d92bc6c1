#pragma once

#include <QElapsedTimer>

#include <functional>
#include <utility>

// How a long pass over a playlist reports what it has done and learns whether
// to stop. The pass calls next() once per unit of work; every interval (about
// 15 ms) the callback runs, which hands on what was gathered (the window's
// counters move) and answers whether to go on. So the pass pays for the
// report only a few dozen times a second.
class Progress
{
public:
    // Returns false when the pass must stop.
    using Callback = std::function<bool()>;

    static constexpr int defaultIntervalMs = 15;

    explicit Progress(Callback callback = {}, int intervalMs = defaultIntervalMs)
        : m_callback(std::move(callback))
        , m_intervalMs(intervalMs)
    {
        m_timer.start();
    }

    // Called once per unit of work (a line); false means stop. The clock is
    // read every few lines only, as a line takes less than reading the clock.
    [[nodiscard]] bool next() { return advance(1); }
    // The same for a large unit (a block of a file): the clock is read each time.
    [[nodiscard]] bool nextBlock() { return advance(unitsPerLook); }

    // Runs the callback now, e.g. once more at the end of a pass.
    [[nodiscard]] bool reportNow()
    {
        m_timer.restart();
        return !m_callback || m_callback();
    }

private:
    static constexpr unsigned unitsPerLook = 64;

    bool advance(unsigned units)
    {
        if (!m_callback)
            return true;
        m_units += units;
        if (m_intervalMs > 0 && m_units < unitsPerLook)
            return true;
        m_units = 0;
        if (m_timer.elapsed() < m_intervalMs)
            return true;
        m_timer.restart();
        return m_callback();
    }

    Callback m_callback;
    unsigned m_units = 0;
    QElapsedTimer m_timer;
    int m_intervalMs;
};
