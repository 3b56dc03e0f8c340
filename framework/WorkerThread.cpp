#include "framework/WorkerThread.h"

#include "framework/UiThread.h"
#include "framework/detail/UiCalls.h"
#include "platform/process/StopSignal.h"

#include <algorithm>
#include <condition_variable>
#include <set>
#include <thread>

namespace nodescout {

CWorkerThread::CWorkerThread(std::function<void()> threadProc)
    : m_pState(std::make_shared<detail::WorkerState>()) {
    // The thread keeps the state alive itself: a worker that is left to end
    // on its own (see the destructor) still finds it.
    m_thread = std::jthread([state = m_pState, threadProc = std::move(threadProc)] {
        detail::t_pCurrentWorker = state.get();
        {
            // Blocking waits below the routine (a probe waiting for its
            // answer) watch the thread's stop signal; the stop raises it.
            StopSignal stopSignal;
            const CurrentStopSignalScope currentStop(stopSignal);
            const std::stop_callback raiseOnStop(state->stopSource.get_token(),
                                                 [&stopSignal] { stopSignal.Raise(); });
            threadProc();
        }
        detail::t_pCurrentWorker = nullptr;
        {
            std::lock_guard lock(detail::UiCallMutex());
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
    std::lock_guard lock(detail::UiCallMutex());
    m_pState->stopSource.request_stop();
    detail::CancelPendingCallLocked(*m_pState);
}

void CWorkerThread::Stop() {
    RequestStop();
    if (detail::t_pCurrentWorker == m_pState.get()) {
        return; // a worker stopping itself ends when its routine returns
    }
    if (IsUiThread()) {
        std::lock_guard lock(detail::UiCallMutex());
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
    std::lock_guard lock(detail::UiCallMutex());
    return m_pState->finished;
}

bool ThisWorkerStopRequested() {
    const detail::WorkerState* worker = detail::t_pCurrentWorker;
    return worker && worker->stopSource.stop_requested();
}

bool SleepUnlessStopped(std::chrono::milliseconds duration) {
    detail::WorkerState* worker = detail::t_pCurrentWorker;
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
            for (const auto& worker : m_workers) {
                if (!stopped.contains(worker.get())) {
                    workers.push_back(worker);
                }
            }
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
    return static_cast<std::size_t>(std::count_if(m_workers.begin(), m_workers.end(),
                                                  [](const auto& w) { return !w->IsFinished(); }));
}

} // namespace nodescout
