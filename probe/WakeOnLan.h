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

} // namespace nodescout
