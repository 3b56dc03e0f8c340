#pragma once

// The real probes of a walk with several in flight (probe/ProbeWindow.h):
// each probe is a node-status request to UDP port 137 from a non-blocking
// socket of its own, so that no send can wait behind packets that the kernel
// holds for an address it is still resolving. Each probe waits its full wait
// from its send; the first datagram from the probed address itself is its
// answer (datagrams from anyone else are read and ignored). On the answer,
// or when the wait is over, the MAC and name are read as ProbeHost reads
// them (ReadProbeOutcome), the neighbour table standing in for a missing
// answer. A send that fails at once (no route, a broadcast address) finishes
// its probe as a missing answer does, as ProbeHost's does.
//
// Sends are paced: one request every kSendInterval at most, whatever the
// window's size. A send the kernel refuses for now (EAGAIN, ENOBUFS) is
// tried again at the next paced slot until the probe's wait is over; a
// socket that cannot be opened for lack of descriptors holds back further
// starts while other probes are in flight. Each Collect waits in poll() for
// at most kCollectSlice.

#include "probe/ProbeWindow.h"

#include <sys/time.h>

#include <chrono>
#include <memory>

namespace nodescout {

// 1000 requests a second: a /24 is sent in about a quarter of a second,
// while the requests and the address resolutions they start (a 42-byte
// broadcast each) stay under a megabit a second, far below what hosts and
// switches of a LAN shrug off.
inline constexpr std::chrono::microseconds kSendInterval{1000};
inline constexpr std::chrono::microseconds kCollectSlice{2000};

// A window of capacity probes (2 to 1024), each waiting wait for its answer.
std::unique_ptr<ProbeWindow> MakeUdpProbeWindow(std::size_t capacity, timeval wait);

// The window a walk uses under the settings file at path, as the walk
// starts: with ParallelProbes above 1 a UDP window of that size whose probes
// wait ReadProbeWait(path); none otherwise (one probe at a time).
std::unique_ptr<ProbeWindow> OpenConfiguredProbeWindow(const char* path);

} // namespace nodescout
