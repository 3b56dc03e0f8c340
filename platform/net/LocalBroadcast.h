#pragma once

// The directed broadcast address of the local LAN that holds a given IPv4
// address: the broadcast address of an interface that is up, broadcasts
// (IFF_BROADCAST) and whose subnet (address AND netmask) holds the address.
// A host asleep on that LAN hears a packet sent there even when the limited
// broadcast address 255.255.255.255 leaves by another interface or, without a
// default route, not at all.

#include <cstdint>
#include <optional>
#include <vector>

namespace nodescout {

// One IPv4 address of a local interface; addresses in network byte order.
struct LocalInterfaceAddress {
    unsigned int flags = 0; // IFF_UP, IFF_BROADCAST, ... as getifaddrs gives them
    std::uint32_t address = 0;
    std::uint32_t netmask = 0;
    std::uint32_t broadcast = 0; // 0 when the interface reports none
};

// The IPv4 addresses of the local interfaces that carry a broadcast address,
// in the system's order; empty when they cannot be read.
std::vector<LocalInterfaceAddress> ReadLocalInterfaceAddresses();

// The broadcast address for address (network byte order) among interfaces:
// that of the up, broadcasting interface whose subnet holds it, the one with
// the longest netmask when several do, the first of those on a tie. An
// interface that reports no broadcast address, or its own address in that
// place (an address added without one), broadcasts to its subnet's all-ones
// address, as the kernel does. Nothing when no such interface's subnet holds
// the address, for /31 and /32 subnets (which have no broadcast address), and
// never 255.255.255.255 itself.
std::optional<std::uint32_t>
ChooseBroadcastAddress(std::uint32_t address, const std::vector<LocalInterfaceAddress>& interfaces);

// ChooseBroadcastAddress over this machine's interfaces.
std::optional<std::uint32_t> LocalBroadcastAddressFor(std::uint32_t address);

} // namespace nodescout
