#pragma once

// A stop that blocking waits can watch: an eventfd that turns readable, for
// good, once Raise() has been called. A wait that polls Handle() beside its
// own descriptor (UdpSocket::WaitReadable) ends as soon as the stop comes,
// whatever time it was given.
//
// A thread can have a current stop signal, set by the code that runs it (a
// worker of the dialog framework) for as long as its routine runs; waits
// deep below, in code that knows nothing of workers, find it through
// CurrentStopHandle() and need no parameter for it.

#include <atomic>

namespace nodescout {

class StopSignal {
public:
    // Makes the eventfd. Where that fails (no descriptors left), Handle() is
    // -1: waits then run their full time, and IsRaised() still tells.
    StopSignal() noexcept;
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    // Raises the stop; from any thread, also while others wait on Handle().
    // Raising again changes nothing.
    void Raise() noexcept;
    bool IsRaised() const noexcept { return m_bRaised.load(std::memory_order_acquire); }
    // Readable (POLLIN) once raised; -1 when there is no eventfd.
    int Handle() const noexcept { return m_nHandle; }

private:
    int m_nHandle = -1;
    std::atomic<bool> m_bRaised{false};
};

// The calling thread's current stop signal, or null.
const StopSignal* CurrentStopSignal() noexcept;
// Its Handle(), or -1 when the thread has none: what a wait polls beside
// its own descriptor.
int CurrentStopHandle() noexcept;

// Makes signal the calling thread's current stop signal until the scope
// ends (the one before comes back then). The signal must outlive the scope.
class CurrentStopSignalScope {
public:
    explicit CurrentStopSignalScope(const StopSignal& signal) noexcept;
    ~CurrentStopSignalScope();
    CurrentStopSignalScope(const CurrentStopSignalScope&) = delete;
    CurrentStopSignalScope& operator=(const CurrentStopSignalScope&) = delete;

private:
    const StopSignal* m_pPrevious;
};

} // namespace nodescout
