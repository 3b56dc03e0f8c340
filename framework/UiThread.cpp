#include "framework/UiThread.h"

#include "framework/detail/UiCalls.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <thread>

// How a worker's call reaches the UI thread: the call waits in a queue of our
// own (guarded by our own mutex, so the hand-over is visible to thread
// checkers), and the worker wakes the UI thread by writing to an eventfd that
// a socket notifier of the UI thread watches. Nothing of Qt is touched from a
// worker. Waits on the UI thread empty the queue themselves.

namespace nodescout {

namespace {

struct Channel {
    std::deque<detail::PendingCall*> queue;
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

void SignalUiLocked(Channel& channel) {
    ++channel.wakeGeneration;
    channel.wake.notify_all();
    if (channel.eventFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(channel.eventFd, &one, sizeof one);
    }
}

} // namespace

namespace detail {

std::mutex& UiCallMutex() {
    static std::mutex mutex;
    return mutex;
}

void CancelPendingCallLocked(WorkerState& worker) {
    PendingCall* pending = worker.pending;
    if (!pending || pending->running || pending->done) {
        return;
    }
    std::erase(TheChannel().queue, pending);
    pending->cancelled = true;
    pending->finished.notify_all();
}

void StartUiChannel() {
    Channel& channel = TheChannel();
    QCoreApplication* application = QCoreApplication::instance();
    if (g_uiUp.load() || !application) {
        return;
    }
    {
        std::lock_guard lock(UiCallMutex());
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
    std::lock_guard lock(UiCallMutex());
    SignalUiLocked(channel);
}

void StopUiChannel() {
    Channel& channel = TheChannel();
    std::lock_guard lock(UiCallMutex());
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
    detail::WorkerState* worker = detail::t_pCurrentWorker;
    detail::PendingCall pending;
    pending.call = &call;
    {
        std::unique_lock lock(detail::UiCallMutex());
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
    std::unique_lock lock(detail::UiCallMutex());
    // Only the calls waiting now: a worker whose call was served queues its
    // next one at once, and serving those too would starve the UI's own
    // events. Later calls have woken the event loop again by themselves.
    for (std::size_t waiting = channel.queue.size(); waiting > 0 && !channel.queue.empty();
         --waiting) {
        detail::PendingCall* pending = channel.queue.front();
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
    std::lock_guard lock(detail::UiCallMutex());
    SignalUiLocked(TheChannel());
}

void WaitServingUi(const std::function<bool()>& done) {
    using namespace std::chrono_literals;
    Channel& channel = TheChannel();
    const bool onUiThread = IsUiThread();
    for (;;) {
        std::uint64_t generation = 0;
        {
            std::lock_guard lock(detail::UiCallMutex());
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
        std::unique_lock lock(detail::UiCallMutex());
        channel.wake.wait_for(lock, 10ms, [&] {
            return channel.wakeGeneration != generation || (onUiThread && !channel.queue.empty());
        });
    }
}

} // namespace nodescout
