#include "tests/support/WakeOnLanCatcher.h"

#include "platform/net/Inet.h"
#include "tests/support/NetLab.h"

#include <netinet/in.h>
#include <sys/socket.h>

#include <cstring>

namespace nodescout::test {

WakeOnLanCatcher::WakeOnLanCatcher(const std::string& netns)
    : m_socket([&] {
          ScopedNamespace inside(netns);
          return UdpSocket();
      }()) {
    const int on = 1;
    if (!m_socket.IsOpen() ||
        setsockopt(m_socket.Handle(), IPPROTO_IP, IP_PKTINFO, &on, sizeof on) != 0 ||
        m_socket.Bind(htonl(INADDR_ANY), htons(kPort))) {
        throw NetLabError("cannot open the Wake-on-LAN catcher in " + netns);
    }
}

CaughtDatagram WakeOnLanCatcher::Next(timeval wait) {
    CaughtDatagram datagram;
    if (m_socket.WaitReadable(wait) != WaitResult::Readable) {
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
    const ssize_t received = recvmsg(m_socket.Handle(), &message, 0);
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
            datagram.interfaceIndex = info.ipi_ifindex;
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

} // namespace nodescout::test
