#pragma once

// The road from workers to the UI thread (UiThread.cpp), as the application
// object and the workers see it: starting and ending it, the state of one
// call waiting for the UI thread, and the state of one worker. Both states
// are guarded by UiCallMutex().

#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <stop_token>

namespace nodescout::detail {

// On the thread that owns the Qt application: makes it the UI thread.
void StartUiChannel();
// The UI is gone: waiting calls are dropped, later ones run directly.
void StopUiChannel();

std::mutex& UiCallMutex();

struct PendingCall {
    const std::function<void()>* call = nullptr;
    std::condition_variable finished;
    bool running = false;
    bool done = false;
    bool cancelled = false;
    std::exception_ptr error;
};

struct WorkerState {
    std::stop_source stopSource;
    PendingCall* pending = nullptr; // the worker's call waiting for or running on the UI thread
    bool finished = false;
};

// The worker running on this thread, or null.
inline thread_local WorkerState* t_pCurrentWorker = nullptr;

// With UiCallMutex() held: drops the worker's call if it has not started.
void CancelPendingCallLocked(WorkerState& worker);

} // namespace nodescout::detail
