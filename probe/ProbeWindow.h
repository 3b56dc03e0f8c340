#pragma once

// The probes a range walk keeps in flight at once (see probe/OverlappedWalk.h
// for the walk, probe/UdpProbeWindow.h for the real probes). A window starts
// probes numbered by the walk and hands back each one's outcome when it
// finishes, in whatever order they finish. Probes still in flight when the
// window is destroyed are dropped: nothing of them outlives it. A window is
// used by one thread at a time.

#include "platform/text/FixedText.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nodescout {

// The outcome of one probe, as ProbeHost gives it: an empty MAC text when
// none was found.
struct FinishedProbe {
    std::uint64_t sequence = 0;
    MacText macText;
    Text computerName;
};

class ProbeWindow {
public:
    virtual ~ProbeWindow() = default;

    // The most probes in flight at once (at least 2).
    virtual std::size_t Capacity() const = 0;
    // Starts the probe numbered sequence of address (network byte order).
    // False when it cannot start yet (the sends are paced); the caller tries
    // again after the next Collect.
    virtual bool Start(std::uint64_t sequence, std::uint32_t address) = 0;
    // Waits a few milliseconds at most for probes to finish and appends
    // every probe that finished (answered, waited its full wait, or failed)
    // to finished, each exactly once.
    virtual void Collect(std::vector<FinishedProbe>& finished) = 0;
};

} // namespace nodescout
