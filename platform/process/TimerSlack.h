#pragma once

// How precisely the calling thread's timed waits end.
//
// Linux lets every timed wait of a thread (select, poll, nanosleep) end up
// to the thread's "timer slack" late, 50 us by default, so that the kernel
// can batch wake-ups. An address walk waits once per address for a
// node-status answer (500 us by default) and does little else, so that
// slack alone would make a walk about a tenth slower than the waits it is
// configured for. Walking threads therefore ask for the finest slack.

namespace nodescout {

// Sets the calling thread's timer slack to 1 ns (the finest there is; 0
// would mean "back to the default"). Nothing happens where the system
// refuses; the waits are then only as late as before.
void UseFineTimerSlack() noexcept;

} // namespace nodescout
