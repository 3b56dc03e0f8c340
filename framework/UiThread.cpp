#include "framework/UiThread.h"
#include "framework/WorkerThread.h"

#include "framework/detail/UiCalls.h"
#include "platform/process/StopSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <exception>
#include <iterator>
#include <mutex>
#include <set>
#include <stop_token>
#include <thread>

// How a worker's call reaches the UI thread: the call waits in a queue of our
// own (guarded by our own mutex, so the hand-over is visible to thread
// checkers), and the worker wakes the UI thread by writing to an eventfd that
// a socket notifier of the UI thread watches. Nothing of Qt is touched from a
// worker. Waits on the UI thread empty the queue themselves. The states of
// the calls and the workers are guarded by the channel's mutex.

namespace nodescout {

namespace detail {

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

} // namespace detail

namespace {

using detail::PendingCall;
using detail::WorkerState;

struct Channel {
    std::mutex mutex;
    std::deque<PendingCall*> queue;
    std::condition_variable wake;
    std::uint64_t wakeGeneration = 0;
    int eventFd = -1;
};

Channel& TheChannel() {
    static Channel channel;
    return channel;
}

std::atomic<bool> g_uiUp{false};
std::atomic<std::thread::id> g_uiThread{};

// The worker running on this thread, or null.
thread_local WorkerState* t_pCurrentWorker = nullptr;

void SignalUiLocked(Channel& channel) {
    ++channel.wakeGeneration;
    channel.wake.notify_all();
    if (channel.eventFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(channel.eventFd, &one, sizeof one);
    }
}

// With the channel's mutex held: drops the worker's call if it has not started.
void CancelPendingCallLocked(WorkerState& worker) {
    PendingCall* pending = worker.pending;
    if (!pending || pending->running || pending->done) {
        return;
    }
    std::erase(TheChannel().queue, pending);
    pending->cancelled = true;
    pending->finished.notify_all();
}

} // namespace

namespace detail {

void StartUiChannel() {
    Channel& channel = TheChannel();
    QCoreApplication* application = QCoreApplication::instance();
    if (g_uiUp.load() || !application) {
        return;
    }
    {
        std::lock_guard lock(channel.mutex);
        if (channel.eventFd < 0) {
            channel.eventFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        }
    }
    // A child of the application, deleted with it.
    auto* notifier = new QSocketNotifier(channel.eventFd, QSocketNotifier::Read, application);
    QObject::connect(notifier, &QSocketNotifier::activated, [] { ServeUiCalls(); });
    QObject::connect(application, &QObject::destroyed, [] { StopUiChannel(); });
    g_uiThread.store(std::this_thread::get_id());
    g_uiUp.store(true);
    // Calls that came before the channel was up wait in the queue already.
    std::lock_guard lock(channel.mutex);
    SignalUiLocked(channel);
}

void StopUiChannel() {
    Channel& channel = TheChannel();
    std::lock_guard lock(channel.mutex);
    if (!g_uiUp.exchange(false)) {
        return;
    }
    g_uiThread.store(std::thread::id{});
    // Drops every call still waiting; the UI is going away.
    for (PendingCall* pending : channel.queue) {
        pending->cancelled = true;
        pending->finished.notify_all();
    }
    channel.queue.clear();
}

} // namespace detail

bool IsUiThread() {
    return g_uiUp.load() && g_uiThread.load() == std::this_thread::get_id();
}

void RequireUiThread(std::source_location caller) {
    if (g_uiUp.load() && !IsUiThread()) {
        std::fprintf(stderr, "nodescout: %s runs on the UI thread only; a worker called it\n",
                     caller.function_name());
        std::abort();
    }
}

bool CallOnUiThread(const std::function<void()>& call) {
    if (!g_uiUp.load() || IsUiThread()) {
        call();
        return true;
    }
    Channel& channel = TheChannel();
    WorkerState* worker = t_pCurrentWorker;
    PendingCall pending;
    pending.call = &call;
    {
        std::unique_lock lock(channel.mutex);
        if (worker && worker->stopSource.stop_requested()) {
            return false;
        }
        if (!g_uiUp.load()) {
            // The UI ended meanwhile; the windows are gone, so the call
            // finds none and does nothing.
            lock.unlock();
            call();
            return true;
        }
        channel.queue.push_back(&pending);
        if (worker) {
            worker->pending = &pending;
        }
        SignalUiLocked(channel);
        pending.finished.wait(lock, [&] { return pending.done || pending.cancelled; });
        if (worker) {
            worker->pending = nullptr;
        }
    }
    if (pending.error) {
        std::rethrow_exception(pending.error);
    }
    return !pending.cancelled;
}

void ServeUiCalls() {
    if (!IsUiThread()) {
        return;
    }
    Channel& channel = TheChannel();
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(channel.eventFd, &count, sizeof count);
    std::unique_lock lock(channel.mutex);
    // Only the calls waiting now: a worker whose call was served queues its
    // next one at once, and serving those too would starve the UI's own
    // events. Later calls have woken the event loop again by themselves.
    for (std::size_t waiting = channel.queue.size(); waiting > 0 && !channel.queue.empty();
         --waiting) {
        PendingCall* pending = channel.queue.front();
        channel.queue.pop_front();
        pending->running = true;
        lock.unlock();
        try {
            (*pending->call)();
        } catch (...) {
            pending->error = std::current_exception();
        }
        lock.lock();
        pending->running = false;
        pending->done = true;
        pending->finished.notify_all();
    }
}

void WakeUiWait() {
    Channel& channel = TheChannel();
    std::lock_guard lock(channel.mutex);
    SignalUiLocked(channel);
}

void WaitServingUi(const std::function<bool()>& done) {
    using namespace std::chrono_literals;
    Channel& channel = TheChannel();
    const bool onUiThread = IsUiThread();
    for (;;) {
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(channel.mutex);
            generation = channel.wakeGeneration;
        }
        if (onUiThread) {
            ServeUiCalls();
            // With the GLib event loop, a wait inside a posted-event handler
            // must deliver the events posted behind it itself, or it can wait
            // for ever on work queued there.
            QCoreApplication::sendPostedEvents();
            ServeUiCalls();
        }
        if (done()) {
            return;
        }
        std::unique_lock lock(channel.mutex);
        channel.wake.wait_for(lock, 10ms, [&] {
            return channel.wakeGeneration != generation || (onUiThread && !channel.queue.empty());
        });
    }
}

// The workers: each has a state shared with its thread, and a stop reaches
// its waiting UI call through the channel.

CWorkerThread::CWorkerThread(std::function<void()> threadProc)
    : m_pState(std::make_shared<WorkerState>()) {
    // The thread keeps the state alive itself: a worker that is left to end
    // on its own (see the destructor) still finds it.
    m_thread = std::jthread([state = m_pState, threadProc = std::move(threadProc)] {
        t_pCurrentWorker = state.get();
        {
            // Blocking waits below the routine (a probe waiting for its
            // answer) watch the thread's stop signal; the stop raises it.
            StopSignal stopSignal;
            const CurrentStopSignalScope currentStop(stopSignal);
            const std::stop_callback raiseOnStop(state->stopSource.get_token(),
                                                 [&stopSignal] { stopSignal.Raise(); });
            threadProc();
        }
        t_pCurrentWorker = nullptr;
        {
            std::lock_guard lock(TheChannel().mutex);
            state->finished = true;
        }
        WakeUiWait();
    });
}

CWorkerThread::~CWorkerThread() {
    Stop();
    if (m_thread.joinable() && !IsFinished()) {
        // Only when the stop was asked for from inside this worker's own UI
        // call: it cannot be waited for here. Its calls are dropped from now
        // on, and it ends at its next stop check. (A finished thread that is
        // still joinable is joined by the jthread's own destructor.)
        m_thread.detach();
    }
}

void CWorkerThread::RequestStop() {
    std::lock_guard lock(TheChannel().mutex);
    m_pState->stopSource.request_stop();
    CancelPendingCallLocked(*m_pState);
}

void CWorkerThread::Stop() {
    RequestStop();
    if (t_pCurrentWorker == m_pState.get()) {
        return; // a worker stopping itself ends when its routine returns
    }
    if (IsUiThread()) {
        std::lock_guard lock(TheChannel().mutex);
        if (m_pState->pending && m_pState->pending->running) {
            return; // asked from inside this worker's own UI call: only ask
        }
    }
    WaitServingUi([this] { return IsFinished(); });
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

bool CWorkerThread::IsFinished() const {
    std::lock_guard lock(TheChannel().mutex);
    return m_pState->finished;
}

bool ThisWorkerStopRequested() {
    const WorkerState* worker = t_pCurrentWorker;
    return worker && worker->stopSource.stop_requested();
}

bool SleepUnlessStopped(std::chrono::milliseconds duration) {
    WorkerState* worker = t_pCurrentWorker;
    if (!worker) {
        std::this_thread::sleep_for(duration);
        return true;
    }
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    wakeUp.wait_for(lock, worker->stopSource.get_token(), duration, [] { return false; });
    return !worker->stopSource.stop_requested();
}

CWorkerRegistry::~CWorkerRegistry() {
    StopAll();
}

std::shared_ptr<CWorkerThread> CWorkerRegistry::Start(std::function<void()> threadProc) {
    auto worker = std::make_shared<CWorkerThread>(std::move(threadProc));
    std::lock_guard lock(m_mutex);
    std::erase_if(m_workers, [](const auto& w) { return w->IsFinished(); });
    m_workers.push_back(worker);
    return worker;
}

void CWorkerRegistry::StopAll() {
    // Until every worker has been stopped once: one may have started
    // another meanwhile. (A worker whose stop was asked for from inside its
    // own UI call stays until a later StopAll.)
    std::set<const CWorkerThread*> stopped;
    for (;;) {
        std::vector<std::shared_ptr<CWorkerThread>> workers;
        {
            std::lock_guard lock(m_mutex);
            std::erase_if(m_workers, [](const auto& w) { return w->IsFinished(); });
            std::ranges::copy_if(m_workers, std::back_inserter(workers),
                                 [&](const auto& w) { return !stopped.contains(w.get()); });
        }
        if (workers.empty()) {
            break;
        }
        // Ask all first, so they wind down side by side, then wait for each.
        for (const auto& worker : workers) {
            worker->RequestStop();
        }
        for (const auto& worker : workers) {
            worker->Stop();
            stopped.insert(worker.get());
        }
    }
}

std::size_t CWorkerRegistry::RunningCount() const {
    std::lock_guard lock(m_mutex);
    return static_cast<std::size_t>(
        std::ranges::count_if(m_workers, [](const auto& w) { return !w->IsFinished(); }));
}

} // namespace nodescout
