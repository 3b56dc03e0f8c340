#pragma once

// The kernel's IPv4 neighbour (ARP) table, read over rtnetlink: the whole
// table with an RTM_GETNEIGH dump, or the rows of one address with one
// RTM_GETNEIGH get per interface, whose cost does not grow with the table.
// Each call opens its own socket, asks anew and closes the socket again;
// nothing is shared, so several threads may read at once. Only within a
// NeighbourReadScope does a thread keep its socket and its list of
// interfaces from one lookup of an address to the next. The table read is
// the one of the calling thread's network namespace.

#include <cstdint>
#include <memory>
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
    std::uint32_t address = 0;            // IPv4, network byte order
    std::uint8_t physicalAddress[8] = {}; // zeros beyond physicalAddressLength
    // Bytes of physicalAddress that the kernel gave: 6 for Ethernet; 0 for
    // the Invalid states and for devices without hardware addresses; a longer
    // hardware address (InfiniBand) is cut to 8.
    std::uint32_t physicalAddressLength = 0;
    NeighbourType type = NeighbourType::Invalid;
};

// Maps a kernel neighbour state (NUD_* bits of ndm_state) to its type. The
// kernel sets one bit at a time; should several be set, PERMANENT wins over
// NOARP, and NOARP over the dynamic states.
NeighbourType NeighbourTypeFromState(std::uint16_t state) noexcept;

// Fills rows with every IPv4 neighbour entry of the calling thread's network
// namespace, in ascending address order (numeric, as host-order values), rows
// of the same address in ascending interface index. An empty table is a
// success with no rows. A dump that the kernel reports as disturbed by a
// concurrent change is read again a few times (the last reading is kept
// even if it too was disturbed). Failures are the errno value
// (std::system_category) of the socket call or of the kernel's answer,
// std::errc::bad_message for an answer that does not parse, or
// std::errc::not_enough_memory; rows is then empty. A kernel that does not
// answer within two seconds fails with EAGAIN instead of hanging.
std::error_code ReadNeighbourTable(std::vector<NeighbourRow>& rows);

// Fills rows with the IPv4 neighbour entries of address (network byte order)
// on every interface of the calling thread's network namespace that has IPv4
// settings (the only ones that can hold such entries), in ascending
// interface index: the rows ReadNeighbourTable gives for that address, in
// the same order. No entry anywhere is a success with no rows. Costs one
// listing of the interfaces (within a NeighbourReadScope only when they
// changed) and one request per interface (sent 32 to a datagram), however
// large the table; a kernel too old to answer for single entries
// (EOPNOTSUPP, before Linux 5.0) gets a ReadNeighbourTable instead.
// Failures are as for ReadNeighbourTable; rows is then empty.
std::error_code ReadNeighbourRows(std::uint32_t address, std::vector<NeighbourRow>& rows);

class NeighbourRowsReader;

// While a scope lives, ReadNeighbourRows on the thread that made it keeps
// its socket open and its list of interfaces from one call to the next, so
// that a lookup costs only its requests, one per interface. A second
// socket hears the kernel announce any interface that comes, goes or
// changes its IPv4 settings (RTNLGRP_LINK, RTNLGRP_IPV4_NETCONF); the list
// is read again before the first lookup after such an announcement, so the
// rows stay exactly those a lookup without the scope would read. A failed
// lookup closes both sockets and the next one starts afresh. The sockets
// belong to the network namespace the thread is in at its first lookup, so
// the thread must not change namespaces while the scope lives. A scope
// made inside another on the same thread is used until it ends. Walks keep
// one for as long as they run.
class NeighbourReadScope {
public:
    NeighbourReadScope();
    ~NeighbourReadScope();
    NeighbourReadScope(const NeighbourReadScope&) = delete;
    NeighbourReadScope& operator=(const NeighbourReadScope&) = delete;

private:
    std::unique_ptr<NeighbourRowsReader> m_reader;
    NeighbourRowsReader* m_outer;
};

} // namespace nodescout
