#pragma once

// IPv4 address conversions by their usual names: inet_addr (text to a 32-bit
// value in network byte order; text it cannot read gives INADDR_NONE, the
// all-ones value 255.255.255.255), inet_ntoa (back to dotted text, in a
// buffer of the calling thread), htonl, ntohl, htons, ntohs.
// POSIX provides all of them with the same meaning, so they are used as they
// are; this header is the one place that says where they come from.

#include <arpa/inet.h>
#include <netinet/in.h>

#include <cstdint>

namespace nodescout {

// The value of an address text in host byte order, as inet_addr reads it:
// text it cannot read gives 255.255.255.255.
inline std::uint32_t HostOrderAddress(const char* text) noexcept {
    return ntohl(inet_addr(text));
}

// Dotted-decimal text of an address in network byte order.
inline const char* AddressText(std::uint32_t addressNetworkOrder) noexcept {
    in_addr address{};
    address.s_addr = addressNetworkOrder;
    return inet_ntoa(address);
}

} // namespace nodescout
