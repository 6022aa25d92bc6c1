#pragma once

#include <QElapsedTimer>

#include <functional>
#include <utility>

// Long passes over a playlist hand on what they have done after each slice of
// work (about 15 ms), not after every line: the window's counters move, and
// the pass pays for it only a few dozen times a second. The same call tells
// the pass whether it must stop.
class TimeSlice
{
public:
    // Runs when a slice is used up; returns false when the pass must stop.
    using Callback = std::function<bool()>;

    static constexpr int defaultIntervalMs = 15;

    explicit TimeSlice(Callback callback = {}, int intervalMs = defaultIntervalMs)
        : m_callback(std::move(callback))
        , m_intervalMs(intervalMs)
    {
        m_timer.start();
    }

    // Called once per unit of work (a line, a block); false means stop.
    [[nodiscard]] bool next()
    {
        if (!m_callback || m_timer.elapsed() < m_intervalMs)
            return true;
        m_timer.restart();
        return m_callback();
    }

    // Runs the callback now, e.g. once more at the end of a pass.
    [[nodiscard]] bool flush()
    {
        m_timer.restart();
        return !m_callback || m_callback();
    }

private:
    Callback m_callback;
    QElapsedTimer m_timer;
    int m_intervalMs;
};
