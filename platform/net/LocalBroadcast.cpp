#include "platform/net/LocalBroadcast.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

namespace nodescout {
namespace {

std::uint32_t Ipv4Of(const sockaddr* address) noexcept {
    return reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
}

bool IsIpv4(const sockaddr* address) noexcept {
    return address != nullptr && address->sa_family == AF_INET;
}

// The address an interface broadcasts to. An address added without one
// (ip address add without brd) reads back with its own address in that place
// (or none); the kernel still treats the subnet's all-ones address as its
// broadcast address, so that one is taken.
std::uint32_t BroadcastOf(const LocalInterfaceAddress& candidate) noexcept {
    if (candidate.broadcast != 0 && candidate.broadcast != candidate.address) {
        return candidate.broadcast;
    }
    return candidate.address | ~candidate.netmask;
}

// A /31 or /32 has no broadcast address (RFC 3021 point-to-point links).
constexpr std::uint32_t kWidestMaskWithBroadcast = 0xFFFFFFFCu;

} // namespace

std::vector<LocalInterfaceAddress> ReadLocalInterfaceAddresses() {
    std::vector<LocalInterfaceAddress> interfaces;
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0) {
        return interfaces;
    }
    for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
        // ifa_broadaddr is only meaningful with IFF_BROADCAST (it shares its
        // place with the point-to-point peer's address).
        if ((entry->ifa_flags & IFF_BROADCAST) == 0 || !IsIpv4(entry->ifa_addr) ||
            !IsIpv4(entry->ifa_netmask) || !IsIpv4(entry->ifa_broadaddr)) {
            continue;
        }
        interfaces.push_back({entry->ifa_flags, Ipv4Of(entry->ifa_addr), Ipv4Of(entry->ifa_netmask),
                              Ipv4Of(entry->ifa_broadaddr)});
    }
    freeifaddrs(list);
    return interfaces;
}

std::optional<std::uint32_t>
ChooseBroadcastAddress(std::uint32_t address,
                       const std::vector<LocalInterfaceAddress>& interfaces) {
    std::optional<std::uint32_t> chosen;
    std::uint32_t chosenMask = 0;
    for (const LocalInterfaceAddress& candidate : interfaces) {
        const std::uint32_t mask = ntohl(candidate.netmask);
        const std::uint32_t broadcast = BroadcastOf(candidate);
        const bool usable =
            (candidate.flags & IFF_UP) != 0 && (candidate.flags & IFF_BROADCAST) != 0 &&
            mask <= kWidestMaskWithBroadcast && broadcast != htonl(INADDR_BROADCAST);
        const bool holds = (address & candidate.netmask) == (candidate.address & candidate.netmask);
        if (usable && holds && (!chosen || mask > chosenMask)) {
            chosen = broadcast;
            chosenMask = mask;
        }
    }
    return chosen;
}

std::optional<std::uint32_t> LocalBroadcastAddressFor(std::uint32_t address) {
    return ChooseBroadcastAddress(address, ReadLocalInterfaceAddresses());
}

} // namespace nodescout
