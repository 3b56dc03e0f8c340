#include "platform/net/UdpSocket.h"

#include "platform/process/SystemError.h"

#include <netinet/in.h>
#include <sys/select.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace nodescout {
namespace {

sockaddr_in MakeAddress(std::uint32_t addressNetworkOrder,
                        std::uint16_t portNetworkOrder) noexcept {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = portNetworkOrder;
    address.sin_addr.s_addr = addressNetworkOrder;
    return address;
}

IoResult ResultOf(ssize_t count) noexcept {
    if (count < 0) {
        return {0, LastSystemError()};
    }
    return {static_cast<std::size_t>(count), {}};
}

} // namespace

UdpSocket::UdpSocket() noexcept : m_fd(socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {
    if (!m_fd.IsOpen()) {
        m_openError = LastSystemError();
    }
}

void UdpSocket::Close() noexcept {
    m_fd.Close();
}

std::error_code UdpSocket::EnableBroadcast() noexcept {
    const int on = 1;
    if (setsockopt(m_fd.Get(), SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
        return LastSystemError();
    }
    return {};
}

std::error_code UdpSocket::Bind(std::uint32_t addressNetworkOrder,
                                std::uint16_t portNetworkOrder) noexcept {
    const sockaddr_in address = MakeAddress(addressNetworkOrder, portNetworkOrder);
    if (bind(m_fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return LastSystemError();
    }
    return {};
}

IoResult UdpSocket::SendTo(std::span<const std::uint8_t> payload, std::uint32_t addressNetworkOrder,
                           std::uint16_t portNetworkOrder) noexcept {
    if (!IsOpen()) {
        return {0, m_openError};
    }
    const sockaddr_in address = MakeAddress(addressNetworkOrder, portNetworkOrder);
    return ResultOf(sendto(m_fd.Get(), payload.data(), payload.size(), 0,
                           reinterpret_cast<const sockaddr*>(&address), sizeof address));
}

WaitResult UdpSocket::WaitReadable(timeval wait) noexcept {
    // select() cannot watch a descriptor at or above FD_SETSIZE.
    if (!IsOpen() || m_fd.Get() >= FD_SETSIZE) {
        return WaitResult::Failed;
    }
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(m_fd.Get(), &readable);
    const int ready = select(m_fd.Get() + 1, &readable, nullptr, nullptr, &wait);
    if (ready < 0) {
        return WaitResult::Failed;
    }
    if (ready == 0) {
        return WaitResult::TimedOut;
    }
    return FD_ISSET(m_fd.Get(), &readable) ? WaitResult::Readable : WaitResult::Failed;
}

IoResult UdpSocket::Receive(std::span<std::uint8_t> buffer) noexcept {
    if (!IsOpen()) {
        return {0, m_openError};
    }
    return ResultOf(recv(m_fd.Get(), buffer.data(), buffer.size(), 0));
}

IoResult UdpSocket::ReceiveFrom(std::span<std::uint8_t> buffer, std::uint32_t& senderAddress,
                                std::uint16_t& senderPort) noexcept {
    if (!IsOpen()) {
        return {0, m_openError};
    }
    sockaddr_in sender{};
    socklen_t senderLength = sizeof sender;
    const IoResult result = ResultOf(recvfrom(m_fd.Get(), buffer.data(), buffer.size(), 0,
                                              reinterpret_cast<sockaddr*>(&sender), &senderLength));
    senderAddress = sender.sin_addr.s_addr;
    senderPort = sender.sin_port;
    return result;
}

} // namespace nodescout
