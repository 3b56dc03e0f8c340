#pragma once

// The core of a range walk with several probes in flight: it keeps a window
// (probe/ProbeWindow.h) filled with the next addresses, at most Capacity()
// of them ahead of the oldest result not yet taken, and hands the results
// to the walk strictly in address order, as the one-at-a-time walk would
// take them, whatever order the probes finish in.
//
// It asks the owner whether a stop was asked for before every start and at
// every turn of its wait (each Collect lasts a few milliseconds at most):
// once it was, it returns without taking another result. The caller then
// destroys the window, which drops the probes still in flight.

#include "probe/AddressWalk.h"
#include "probe/ProbeWindow.h"

#include <cstdint>
#include <functional>
#include <optional>

namespace nodescout {

// Host-order address of the index-th address of the walk, read when its
// probe is about to start; empty ends the walk after the addresses before it.
using WalkAddressAt = std::function<std::optional<std::uint32_t>(std::uint64_t index)>;
// Takes the result of one address (host order); false ends the walk, the
// probes still in flight left untaken.
using TakeWalkResult =
    std::function<bool(std::uint32_t hostOrder, const MacText& macText, const Text& computerName)>;

// Probes addresses 0 .. count - 1 of addressAt through window and calls take
// for each in index order, until all are taken, addressAt ends the walk,
// take returns false or a stop is asked for.
void WalkInAddressOrder(WalkOwner& owner, ProbeWindow& window, std::uint64_t count,
                        const WalkAddressAt& addressAt, const TakeWalkResult& take);

} // namespace nodescout
