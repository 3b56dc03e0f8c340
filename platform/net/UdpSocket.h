#pragma once

// An IPv4 UDP socket that closes itself. Failures are reported the same way
// everywhere in the network layer: as a std::error_code holding the errno
// value (std::system_category).

#include "platform/fs/FileDescriptor.h"

#include <sys/time.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <system_error>

namespace nodescout {

// Bytes moved by one send or receive, or the error that stopped it.
struct IoResult {
    std::size_t bytes = 0;
    std::error_code error;

    bool Succeeded() const noexcept { return !error && bytes > 0; }
};

// Stopped: the stop descriptor given to the wait turned readable first.
enum class WaitResult { Readable, TimedOut, Failed, Stopped };

class UdpSocket {
public:
    // socket(AF_INET, SOCK_DGRAM, 0). Check IsOpen(): creation can fail.
    UdpSocket() noexcept;

    bool IsOpen() const noexcept { return m_fd.IsOpen(); }
    int Handle() const noexcept { return m_fd.Get(); }
    // The error of the socket() call when IsOpen() is false.
    std::error_code OpenError() const noexcept { return m_openError; }

    // SO_BROADCAST set to the integer 1.
    std::error_code EnableBroadcast() noexcept;

    // Binds to a local IPv4 address and port (both in network byte order).
    std::error_code Bind(std::uint32_t addressNetworkOrder,
                         std::uint16_t portNetworkOrder) noexcept;

    // sendto() with flags 0 and a 16-byte sockaddr_in.
    IoResult SendTo(std::span<const std::uint8_t> payload, std::uint32_t addressNetworkOrder,
                    std::uint16_t portNetworkOrder) noexcept;

    // Waits at most `wait` (to the microsecond) for this socket to turn
    // readable; a wait that runs out ends when it is due, not a wake-up
    // latency later (platform/process/PunctualPoll.h). A stopHandle of 0 or
    // more (a StopSignal's, see platform/process/StopSignal.h) is watched
    // too: once it is readable the wait ends with Stopped, also before it
    // begins. The socket wins when both are ready.
    WaitResult WaitReadable(timeval wait, int stopHandle = -1) noexcept;

    // recv() of one datagram into buffer (a longer datagram is cut).
    IoResult Receive(std::span<std::uint8_t> buffer) noexcept;

    // recvfrom(): also tells who sent the datagram (network byte order).
    IoResult ReceiveFrom(std::span<std::uint8_t> buffer, std::uint32_t& senderAddress,
                         std::uint16_t& senderPort) noexcept;

    void Close() noexcept;

private:
    UniqueFd m_fd;
    std::error_code m_openError;
};

} // namespace nodescout
