#pragma once

// A ppoll() whose time-out ends when it is due, not a wake-up later.
//
// A thread asleep in a timed wait runs again some time after the wait is
// due: its timer slack (platform/process/TimerSlack.h) plus what the system
// takes to notice the timer and schedule the thread, which on virtual
// machines is still tens of microseconds with the finest slack. For a walk
// that waits 500 us per address that is most of its overhead. PunctualPoll
// therefore sleeps only until shortly before the wait is due, by about as
// much as the calling thread's recent sleeps came too late, and polls the
// descriptors without sleeping for what is left. Each thread learns its own
// lateness; a first wait on a thread sleeps its whole time.

#include <poll.h>

#include <chrono>

namespace nodescout {

// The most a sleep is cut short by: at most this long a wait polls without
// sleeping, however late the thread's sleeps have been (on a busy machine a
// late sleep is the scheduler's doing, which polling would not help).
inline constexpr std::chrono::microseconds kMostPolledWithoutSleep{50};

// ppoll(fds, count, wait) with the same results: the number of descriptors
// with events (their revents set), 0 when the wait ran out with none, -1
// with errno set when ppoll fails (EINTR included). The descriptors are
// watched for the whole wait, and a result of 0 never comes before `wait`
// has passed on the steady clock; a wait of 0 or less polls once.
int PunctualPoll(pollfd* fds, nfds_t count, std::chrono::nanoseconds wait) noexcept;

} // namespace nodescout
