#pragma once

// Wake-on-LAN: the magic packet (six 0xFF bytes, then the MAC address
// sixteen times) sent as one UDP datagram with broadcasting allowed.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <system_error>

namespace nodescout {

inline constexpr std::size_t kMagicPacketSize = 102;
using MagicPacket = std::array<std::uint8_t, kMagicPacketSize>;

// What became of one wake-up request.
enum WakeOnLanResult : int {
    kWakeOnLanNotSent = -1, // the text was fine, but the datagram did not go out
    kWakeOnLanRefused = 0,  // the MAC text was refused; nothing was sent
    kWakeOnLanSent = 1,
};

// The packet for a MAC text of twelve hexadecimal digits, or nothing when the
// text is refused: not twelve characters long, without a single character of
// "0123456789abcdef", or with a character that is no hexadecimal digit.
// Upper-case digits A-F count with their hexadecimal values.
std::optional<MagicPacket> BuildMagicPacket(const char* mac) noexcept;

// The packet for mac to the limited broadcast address 255.255.255.255.
int SendWakeOnLan(const char* mac, std::error_code* error = nullptr) noexcept;

// The packet for mac to inet_addr(destination); text that is no address
// gives 255.255.255.255, the limited broadcast address.
int SendWakeOnLanTo(const char* mac, const char* destination,
                    std::error_code* error = nullptr) noexcept;

// The packet for mac to a host at hostAddress, as the window sends it: to
// 255.255.255.255, which Linux sends out of one interface only (and with no
// default route not at all), and also to the broadcast address of the local
// interface whose subnet holds hostAddress (LocalBroadcastAddressFor), when
// hostAddress is a dotted IPv4 address and there is such an interface.
// kWakeOnLanSent when at least one of the packets went out: each reaches a
// LAN where the host may sleep. kWakeOnLanRefused when the MAC text is
// refused (nothing sent), otherwise kWakeOnLanNotSent.
int SendWakeOnLanToLanOf(const char* mac, const char* hostAddress);

} // namespace nodescout
