#pragma once

// The probe's fallback: the MAC of an address in the kernel's neighbour
// table, as platform/net/NeighbourTable.h reads it.

#include "platform/net/NeighbourTable.h"
#include "platform/text/FixedText.h"

#include <cstdint>
#include <vector>

namespace nodescout {

// The MAC text of the first row for address (network byte order) whose type
// is Other, Dynamic or Static; rows of type Invalid never count. False when
// no row counts.
bool FindMacInNeighbourTable(const std::vector<NeighbourRow>& rows, std::uint32_t address,
                             MacText& macText) noexcept;

} // namespace nodescout
