#pragma once

#include "app/TimeSlice.h"

#include <QObject>

#include <functional>
#include <optional>

class QLabel;
class QWidget;

// Lets one operation on the working files run at a time. While one runs (and
// hands the window its events on time slices), presses on the controls that
// would start another are swallowed, so the controls keep their enabled
// state and the working files are never left mixed from two operations.
// Closing the window asks the running operation to stop; the window's
// clean-up then runs when it has closed its files.
class OperationGate : public QObject
{
    Q_OBJECT
public:
    OperationGate(QLabel *busyLabel, std::function<void()> afterStop, QObject *parent = nullptr);

    // Controls whose input starts an operation.
    void guard(QWidget *control);

    // How much work an operation does before the window gets its turn; tests
    // set 0 to see every turn.
    void setSliceInterval(int milliseconds) { m_sliceMs = milliseconds; }

    class Operation
    {
    public:
        explicit Operation(OperationGate &gate);
        ~Operation();
        Operation(const Operation &) = delete;
        Operation &operator=(const Operation &) = delete;

        // The busy label: shown while the operation walks a file.
        void showBusy();
        void hideBusy();

        // Slices that let the window process its events; onSlice runs first
        // (to show what the pass has gathered so far).
        [[nodiscard]] TimeSlice slice(std::function<void()> onSlice = {});

    private:
        OperationGate &m_gate;
    };

    // Empty while another operation runs.
    [[nodiscard]] std::optional<Operation> begin();
    [[nodiscard]] bool isBusy() const { return m_busy; }

    // The window is closing: a running operation stops at its next slice.
    // Returns true when nothing runs, so the clean-up may happen now.
    bool requestStop();
    [[nodiscard]] bool stopRequested() const { return m_stopRequested; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_busyLabel;
    std::function<void()> m_afterStop;
    int m_sliceMs = TimeSlice::defaultIntervalMs;
    bool m_busy = false;
    bool m_stopRequested = false;
};
