// `nodescout -w` from end to end: the real program, run inside a private
// network, sends the magic packet that a socket there receives byte for
// byte, to the limited broadcast address or to the address given.

#include "tests/support/NetLab.h"

#include "platform/net/Inet.h"
#include "platform/net/UdpSocket.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace nodescout::test {
namespace {

// Port 0, the classic destination, is refused by Linux; the sender uses the
// discard port instead.
constexpr std::uint16_t kWakeOnLanPort = 9;

struct Datagram {
    std::vector<std::uint8_t> bytes;
    std::string destination; // the address the datagram was sent to
};

// The next datagram within two seconds, with the address it was sent to.
Datagram ReceiveWithDestination(UdpSocket& socket) {
    Datagram datagram;
    if (socket.WaitReadable(timeval{2, 0}) != WaitResult::Readable) {
        return datagram;
    }
    std::array<std::uint8_t, 512> buffer{};
    iovec part{buffer.data(), buffer.size()};
    alignas(cmsghdr) std::array<char, CMSG_SPACE(sizeof(in_pktinfo))> control{};
    msghdr message{};
    message.msg_iov = &part;
    message.msg_iovlen = 1;
    message.msg_control = control.data();
    message.msg_controllen = control.size();
    const ssize_t received = recvmsg(socket.Handle(), &message, 0);
    if (received < 0) {
        return datagram;
    }
    datagram.bytes.assign(buffer.begin(), buffer.begin() + received);
    for (cmsghdr* header = CMSG_FIRSTHDR(&message); header != nullptr;
         header = CMSG_NXTHDR(&message, header)) {
        if (header->cmsg_level == IPPROTO_IP && header->cmsg_type == IP_PKTINFO) {
            in_pktinfo info{};
            std::memcpy(&info, CMSG_DATA(header), sizeof info);
            datagram.destination = AddressText(info.ipi_addr.s_addr);
        }
    }
    return datagram;
}

std::vector<std::uint8_t> MagicPacketFor(const std::array<std::uint8_t, 6>& mac) {
    std::vector<std::uint8_t> packet(6, 0xFF);
    for (int copy = 0; copy < 16; ++copy) {
        packet.insert(packet.end(), mac.begin(), mac.end());
    }
    return packet;
}

TEST(WakeOnLanProgram, SendsTheMagicPacketToTheBroadcastAddressOrToTheAddressGiven) {
    NODESCOUT_SKIP_WITHOUT_NETLAB();
    NetLab lab;
    lab.AddHost("198.18.0.10", "02:4e:53:00:00:10"); // gives the bridge a link
    lab.RouteLimitedBroadcast();

    UdpSocket receiver = [&] {
        ScopedNamespace inLab(lab.ClientNamespace());
        return UdpSocket();
    }();
    ASSERT_TRUE(receiver.IsOpen());
    const int on = 1;
    ASSERT_EQ(setsockopt(receiver.Handle(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on), 0);
    ASSERT_FALSE(receiver.Bind(htonl(INADDR_ANY), htons(kWakeOnLanPort)));

    const std::vector<std::uint8_t> expected = MagicPacketFor({0x00, 0x11, 0x22, 0xaa, 0xbb, 0xcc});
    ASSERT_EQ(expected.size(), 102u);
    const std::vector<std::pair<std::vector<std::string>, std::string>> runs = {
        {{"-w", "001122aabbcc"}, "255.255.255.255"},
        {{"-w", "001122aabbcc", "198.18.0.255"}, "198.18.0.255"},
    };
    for (const auto& [arguments, destination] : runs) {
        std::vector<std::string> command = {"ip", "netns", "exec", lab.ClientNamespace(),
                                            NODESCOUT_PROGRAM};
        command.insert(command.end(), arguments.begin(), arguments.end());
        const CommandResult run = RunCommand(command);
        EXPECT_EQ(run.status, 0) << run.output;
        EXPECT_EQ(run.output, "");

        const Datagram datagram = ReceiveWithDestination(receiver);
        EXPECT_EQ(datagram.bytes, expected) << destination;
        EXPECT_EQ(datagram.destination, destination);
    }
    EXPECT_EQ(receiver.WaitReadable(timeval{0, 200000}), WaitResult::TimedOut)
        << "one packet per run";
}

} // namespace
} // namespace nodescout::test
