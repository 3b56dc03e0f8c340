#pragma once

// Catches Wake-on-LAN packets inside a lab namespace: a UDP socket bound to
// the discard port (where the sender goes, Linux refusing port 0) of every
// address there, that tells for each datagram the address it was sent to and
// the interface it came by (IP_PKTINFO). A broadcast sent from the same
// namespace comes back to it by the interface it went out of.

#include "platform/net/UdpSocket.h"

#include <sys/time.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace nodescout::test {

struct CaughtDatagram {
    std::vector<std::uint8_t> bytes; // empty when nothing came
    std::string destination;         // dotted
    int interfaceIndex = 0;
};

class WakeOnLanCatcher {
public:
    static constexpr std::uint16_t kPort = 9;

    // Opens and binds the socket inside netns; throws NetLabError on failure.
    explicit WakeOnLanCatcher(const std::string& netns);

    // The next datagram within wait, or an empty one.
    CaughtDatagram Next(timeval wait = timeval{2, 0});

private:
    UdpSocket m_socket;
};

// The 102-byte magic packet for mac.
std::vector<std::uint8_t> MagicPacketFor(const std::array<std::uint8_t, 6>& mac);

} // namespace nodescout::test
