#pragma once

// The kernel's IPv4 neighbour (ARP) table, read over rtnetlink with an
// RTM_GETNEIGH dump. Each call reads the table anew; nothing is cached.

#include <cstdint>
#include <system_error>
#include <vector>

namespace nodescout {

// The kind of an entry, numbered as address-resolution tables traditionally
// number them.
enum class NeighbourType : std::uint32_t {
    Other = 1,   // NOARP
    Invalid = 2, // INCOMPLETE, FAILED, NONE
    Dynamic = 3, // REACHABLE, STALE, DELAY, PROBE
    Static = 4,  // PERMANENT
};

struct NeighbourRow {
    std::uint32_t interfaceIndex = 0;
    std::uint32_t address = 0; // IPv4, network byte order
    std::uint8_t physicalAddress[8] = {};
    std::uint32_t physicalAddressLength = 0; // bytes of physicalAddress that the kernel gave
    NeighbourType type = NeighbourType::Invalid;
};

// Maps a kernel neighbour state (NUD_* bits of ndm_state) to its type.
NeighbourType NeighbourTypeFromState(std::uint16_t state) noexcept;

// Fills rows with every IPv4 neighbour entry of the calling thread's network
// namespace, in ascending address order (numeric, as host-order values), rows
// of the same address in ascending interface index. On failure rows is empty.
std::error_code ReadNeighbourTable(std::vector<NeighbourRow>& rows);

} // namespace nodescout
