#include "platform/process/PunctualPoll.h"

#include <algorithm>

namespace nodescout {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::nanoseconds;

// How late this thread's recent sleeps ended, smoothed. It follows a later
// wake-up slowly and an earlier one quickly, so that it stays near the
// usual lateness rather than the occasional long one: a sleep that still
// ends late costs only that lateness, while a guess that is too large is
// paid for in polling.
thread_local nanoseconds t_lateness{0};

void LearnLateness(nanoseconds late) noexcept {
    late = std::clamp<nanoseconds>(late, nanoseconds{0}, kMostPolledWithoutSleep);
    const nanoseconds step = late - t_lateness;
    t_lateness += step > nanoseconds{0} ? step / 16 : step / 4;
}

timespec TimespecOf(nanoseconds duration) noexcept {
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    return timespec{static_cast<time_t>(seconds.count()),
                    static_cast<long>((duration - seconds).count())};
}

int PollOnce(pollfd* fds, nfds_t count, nanoseconds timeout) noexcept {
    const timespec limit = TimespecOf(std::max(timeout, nanoseconds{0}));
    return ppoll(fds, count, &limit, nullptr);
}

} // namespace

int PunctualPoll(pollfd* fds, nfds_t count, nanoseconds wait) noexcept {
    const Clock::time_point start = Clock::now();
    const Clock::time_point due = start + wait;
    const nanoseconds sleep = wait - t_lateness;
    if (sleep > nanoseconds{0}) {
        const int ready = PollOnce(fds, count, sleep);
        if (ready != 0) {
            return ready;
        }
        LearnLateness(Clock::now() - (start + sleep));
    }
    for (;;) {
        const int ready = PollOnce(fds, count, nanoseconds{0});
        if (ready != 0 || Clock::now() >= due) {
            return ready;
        }
    }
}

} // namespace nodescout
