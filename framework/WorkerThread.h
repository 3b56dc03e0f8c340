#pragma once

// Worker threads that can always be stopped: the routine checks
// ThisWorkerStopRequested() between steps and pauses only with
// SleepUnlessStopped(). Waits on descriptors below it (a probe waiting for its
// answer) end at the stop too: the stop raises the thread's current stop
// signal (platform/process/StopSignal.h), which such waits watch.

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
    // Asks, then waits until the thread has ended. Calls to the UI thread are
    // still served meanwhile (by this wait when it runs on the UI thread), so
    // it cannot deadlock with a worker blocked in a UI call. Once it has
    // returned, the worker has ended and sent nothing after the stop was
    // asked for. Asked by the worker itself, or from inside its own UI call
    // (which the UI thread is carrying out below), it only asks and returns;
    // a later Stop() or the registry joins the worker.
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
