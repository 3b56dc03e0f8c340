#pragma once

// Ends the process when a step takes longer than it may: a hang must fail
// the test, not stall the run.

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace nodescout::test {

class Watchdog {
public:
    Watchdog(std::chrono::milliseconds limit, const char* step) : m_step(step) {
        m_thread = std::thread([this, limit] {
            std::unique_lock lock(m_mutex);
            if (!m_done.wait_for(lock, limit, [this] { return m_bDone; })) {
                std::fprintf(stderr, "hang: %s did not end in time\n", m_step);
                std::abort();
            }
        });
    }
    ~Watchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_bDone = true;
        }
        m_done.notify_all();
        m_thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    const char* m_step;
    std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_bDone = false;
    std::thread m_thread;
};

} // namespace nodescout::test
