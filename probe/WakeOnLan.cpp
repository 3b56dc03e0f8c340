#include "probe/WakeOnLan.h"

#include "platform/net/Inet.h"
#include "platform/net/LocalBroadcast.h"
#include "platform/net/UdpSocket.h"
#include "platform/text/NumberText.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace nodescout {
namespace {

constexpr std::size_t kMacTextLength = 12;
// Network cards look for the pattern, not the port. Port 0 is the classic
// destination; where the system refuses it, the discard port is the one
// other senders use.
constexpr std::uint16_t kClassicPort = 0;
constexpr std::uint16_t kDiscardPort = 9;
// Give the datagram time to leave before the socket closes.
constexpr auto kSettleTime = std::chrono::milliseconds(10);

bool HasLowerCaseHexDigit(const char* mac) noexcept {
    return std::strpbrk(mac, "0123456789abcdef") != nullptr;
}

int Send(const char* mac, std::uint32_t destination, std::error_code* error) noexcept {
    const std::optional<MagicPacket> packet = BuildMagicPacket(mac);
    if (!packet) {
        return kWakeOnLanRefused;
    }
    UdpSocket socket;
    std::error_code failure = socket.IsOpen() ? socket.EnableBroadcast() : socket.OpenError();
    if (!failure) {
        IoResult sent = socket.SendTo(*packet, destination, htons(kClassicPort));
        if (sent.error == std::errc::invalid_argument) {
            sent = socket.SendTo(*packet, destination, htons(kDiscardPort));
        }
        failure = sent.error;
        if (!failure && sent.bytes != packet->size()) {
            failure = std::make_error_code(std::errc::message_size);
        }
    }
    if (!failure) {
        std::this_thread::sleep_for(kSettleTime);
    }
    if (error != nullptr) {
        *error = failure;
    }
    return failure ? kWakeOnLanNotSent : kWakeOnLanSent;
}

} // namespace

std::optional<MagicPacket> BuildMagicPacket(const char* mac) noexcept {
    if (mac == nullptr || std::strlen(mac) != kMacTextLength || !HasLowerCaseHexDigit(mac)) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 6> address{};
    for (std::size_t j = 0; j < address.size(); ++j) {
        const int high = HexDigitValue(mac[2 * j]);
        const int low = HexDigitValue(mac[2 * j + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        address[j] = static_cast<std::uint8_t>(high * 16 + low);
    }
    MagicPacket packet;
    std::fill_n(packet.begin(), 6, 0xFF);
    for (std::size_t copy = 0; copy < 16; ++copy) {
        std::copy(address.begin(), address.end(), packet.begin() + 6 + 6 * copy);
    }
    return packet;
}

int SendWakeOnLan(const char* mac, std::error_code* error) noexcept {
    return Send(mac, inet_addr("255.255.255.255"), error);
}

int SendWakeOnLanTo(const char* mac, const char* destination, std::error_code* error) noexcept {
    return Send(mac, inet_addr(destination ? destination : ""), error);
}

int SendWakeOnLanToLanOf(const char* mac, const char* hostAddress) {
    const int limited = SendWakeOnLan(mac);
    if (limited == kWakeOnLanRefused) {
        return limited;
    }
    // Only a plain dotted address names a host: inet_addr's other forms
    // ("10", "0x0a.1") are no row address, and its failure value would be
    // the limited broadcast address again.
    in_addr host{};
    if (hostAddress == nullptr || inet_pton(AF_INET, hostAddress, &host) != 1) {
        return limited;
    }
    const std::optional<std::uint32_t> broadcast = LocalBroadcastAddressFor(host.s_addr);
    if (!broadcast) {
        return limited;
    }
    const int directed = Send(mac, *broadcast, nullptr);
    return limited == kWakeOnLanSent ? limited : directed;
}

} // namespace nodescout
