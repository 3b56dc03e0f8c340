#include "platform/net/UdpSocket.h"

#include "platform/process/PunctualPoll.h"
#include "platform/process/SystemError.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

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

WaitResult UdpSocket::WaitReadable(timeval wait, int stopHandle) noexcept {
    if (!IsOpen()) {
        return WaitResult::Failed;
    }
    pollfd watched[2] = {{m_fd.Get(), POLLIN, 0}, {stopHandle, POLLIN, 0}};
    const nfds_t count = stopHandle >= 0 ? 2 : 1;
    const auto timeout =
        std::chrono::seconds(wait.tv_sec) + std::chrono::microseconds(wait.tv_usec);
    const int ready = PunctualPoll(watched, count, timeout);
    if (ready < 0) {
        return WaitResult::Failed;
    }
    if (ready == 0) {
        return WaitResult::TimedOut;
    }
    if (watched[0].revents & POLLIN) {
        return WaitResult::Readable;
    }
    return count == 2 && (watched[1].revents & POLLIN) ? WaitResult::Stopped : WaitResult::Failed;
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
