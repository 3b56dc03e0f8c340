#pragma once

// Worker threads that can always be stopped: a std::jthread whose routine
// checks ThisWorkerStopRequested() between steps and pauses only with
// SleepUnlessStopped(). Stop() asks for the stop and waits for the thread to
// end while the UI thread keeps serving the calls of other workers (and
// drops the calls of the worker being stopped), so it cannot deadlock with a
// worker blocked in a call to the UI thread. Once Stop() has returned, the
// worker has ended and sent nothing after the stop was asked for.
//
// One exception: a stop asked for from inside the worker's own UI call (the
// UI thread is then carrying out that worker's call, somewhere below on its
// stack) cannot wait for the worker; it only asks and returns. Every later
// call of that worker is dropped, and a later Stop() or the registry joins it.
//
// Waits on descriptors below the routine (a probe waiting for its answer)
// end at the stop too: the stop raises the thread's current stop signal
// (platform/process/StopSignal.h), which such waits watch.

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace nodescout {

namespace detail {
struct WorkerState;
}

class CWorkerThread {
public:
    // Starts threadProc on a new thread at once.
    explicit CWorkerThread(std::function<void()> threadProc);
    // Stops the worker (see Stop) unless it has ended.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Asks the worker to stop: its waiting or later UI calls are dropped, its
    // SleepUnlessStopped wakes up. Returns at once.
    void RequestStop();
    // Asks and waits until the thread has ended (but see the note above).
    void Stop();

    bool IsFinished() const;

private:
    std::shared_ptr<detail::WorkerState> m_pState;
    std::jthread m_thread;
};

// True when the current thread is a worker whose stop has been asked for.
bool ThisWorkerStopRequested();

// Pauses the current worker for duration. Returns true when the whole
// duration passed, false at once when a stop is (or gets) asked for. On a
// thread that is no worker it simply sleeps.
bool SleepUnlessStopped(std::chrono::milliseconds duration);

// The workers of one window. StopAll (and the destructor) stops every worker
// that is still running and joins it.
class CWorkerRegistry {
public:
    CWorkerRegistry() = default;
    ~CWorkerRegistry();
    CWorkerRegistry(const CWorkerRegistry&) = delete;
    CWorkerRegistry& operator=(const CWorkerRegistry&) = delete;

    // Starts a worker and keeps it. The handle may be kept to stop this one
    // worker early; ended workers are forgotten at the next Start.
    std::shared_ptr<CWorkerThread> Start(std::function<void()> threadProc);
    void StopAll();
    std::size_t RunningCount() const;

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<CWorkerThread>> m_workers;
};

} // namespace nodescout
