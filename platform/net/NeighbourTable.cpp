#include "platform/net/NeighbourTable.h"

#include "platform/fs/FileDescriptor.h"
#include "platform/net/NeighbourDump.h"
#include "platform/process/SystemError.h"

#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <memory>
#include <new>
#include <optional>

namespace nodescout {
namespace {

// A dump that the kernel flags as interrupted is read again, at most this
// many times in all; the last one is kept even if it too was interrupted.
constexpr int kDumpAttempts = 4;
// The kernel fills dump datagrams up to 32 KiB when the reader offers that
// much; a larger datagram grows the buffer.
constexpr std::size_t kReceiveBufferSize = 32768;
// The answers to gets and the interface list are small. Offering no more
// than this also keeps the kernel from building its later datagrams to this
// socket 32 KiB large.
constexpr std::size_t kSmallAnswerBufferSize = 4096;
// Gets sent together in one datagram. Their answers wait together in the
// socket's receive queue, where a few dozen fit with room to spare.
constexpr std::size_t kGetsPerDatagram = 32;
// The kernel answers a dump at once; a wait this long means it never will.
constexpr timeval kReceiveTimeout{2, 0};

// Whether a receive may grow its buffer to fit the next datagram.
enum class Fit { Grow, AsIs };

// A NETLINK_ROUTE socket that closes itself.
class RouteSocket {
public:
    RouteSocket() noexcept
        : m_fd(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC, NETLINK_ROUTE)),
          m_openError(m_fd.IsOpen() ? std::error_code() : LastSystemError()) {}

    // Binds to a port id of the kernel's choosing and tells which one, so
    // that replies can be told from anything else.
    std::error_code Bind(std::uint32_t& portId) noexcept {
        if (!m_fd.IsOpen()) {
            return m_openError;
        }
        if (setsockopt(m_fd.Get(), SOL_SOCKET, SO_RCVTIMEO, &kReceiveTimeout,
                       sizeof kReceiveTimeout) != 0) {
            return LastSystemError();
        }
        sockaddr_nl local{};
        local.nl_family = AF_NETLINK;
        if (bind(m_fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            return LastSystemError();
        }
        socklen_t length = sizeof local;
        if (getsockname(m_fd.Get(), reinterpret_cast<sockaddr*>(&local), &length) != 0) {
            return LastSystemError();
        }
        if (length != sizeof local || local.nl_family != AF_NETLINK) {
            return std::make_error_code(std::errc::address_family_not_supported);
        }
        portId = local.nl_pid;
        return {};
    }

    std::error_code SendToKernel(std::span<const std::uint8_t> message) noexcept {
        sockaddr_nl kernel{};
        kernel.nl_family = AF_NETLINK;
        for (;;) {
            const ssize_t sent = sendto(m_fd.Get(), message.data(), message.size(), 0,
                                        reinterpret_cast<const sockaddr*>(&kernel), sizeof kernel);
            if (sent >= 0) {
                return static_cast<std::size_t>(sent) == message.size()
                           ? std::error_code()
                           : std::make_error_code(std::errc::message_size);
            }
            if (errno != EINTR) {
                return LastSystemError();
            }
        }
    }

    // Receives the next datagram that the kernel sent into buffer and sets
    // length to its size. Datagrams from other senders are dropped. With
    // Fit::Grow the buffer is first grown to fit; with Fit::AsIs a datagram
    // larger than the buffer fails with std::errc::message_size, which
    // spares a look at its size first.
    std::error_code ReceiveFromKernel(std::vector<std::uint8_t>& buffer, std::size_t& length,
                                      Fit fit) {
        for (;;) {
            std::size_t pending = 0;
            if (fit == Fit::Grow) {
                if (const std::error_code error = PeekSize(pending)) {
                    return error;
                }
            }
            if (pending > buffer.size()) {
                buffer.resize(pending);
            }
            std::uint32_t sender = 0;
            if (const std::error_code error = Receive(buffer, length, sender)) {
                return error;
            }
            if (sender == 0) {
                return {};
            }
        }
    }

private:
    // The full size of the next datagram, without taking it off the queue.
    std::error_code PeekSize(std::size_t& size) noexcept {
        for (;;) {
            msghdr header{};
            const ssize_t peeked = recvmsg(m_fd.Get(), &header, MSG_PEEK | MSG_TRUNC);
            if (peeked >= 0) {
                size = static_cast<std::size_t>(peeked);
                return {};
            }
            if (errno != EINTR) {
                return LastSystemError();
            }
        }
    }

    std::error_code Receive(std::span<std::uint8_t> buffer, std::size_t& length,
                            std::uint32_t& sender) noexcept {
        for (;;) {
            sockaddr_nl from{};
            iovec vector{buffer.data(), buffer.size()};
            msghdr header{};
            header.msg_name = &from;
            header.msg_namelen = sizeof from;
            header.msg_iov = &vector;
            header.msg_iovlen = 1;
            const ssize_t received = recvmsg(m_fd.Get(), &header, 0);
            if (received < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return LastSystemError();
            }
            if ((header.msg_flags & MSG_TRUNC) != 0) {
                return std::make_error_code(std::errc::message_size);
            }
            if (header.msg_namelen != sizeof from || from.nl_family != AF_NETLINK) {
                return std::make_error_code(std::errc::bad_message);
            }
            length = static_cast<std::size_t>(received);
            sender = from.nl_pid;
            return {};
        }
    }

    UniqueFd m_fd;
    std::error_code m_openError;
};

// A first sequence number for the requests of one socket. Each socket has
// a port id of its own; the number only has to differ from what an earlier
// request over the same port id used.
std::uint32_t NewSequence(int attempt) noexcept {
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    return static_cast<std::uint32_t>(now) + static_cast<std::uint32_t>(attempt);
}

// Feeds what the kernel sends to reader until the answer ends, receiving
// into buffer (grown when a datagram needs more).
std::error_code ReceiveAnswer(RouteSocket& socket, RouteReplyReader& reader,
                              std::vector<std::uint8_t>& buffer, Fit fit = Fit::Grow) {
    while (!reader.Finished()) {
        std::size_t length = 0;
        if (const std::error_code error = socket.ReceiveFromKernel(buffer, length, fit)) {
            return error;
        }
        if (const std::error_code error = reader.Read(std::span(buffer.data(), length))) {
            return error;
        }
    }
    return {};
}

std::error_code Exchange(RouteSocket& socket, std::span<const std::uint8_t> request,
                         RouteReplyReader& reader, std::vector<std::uint8_t>& buffer) {
    if (const std::error_code error = socket.SendToKernel(request)) {
        return error;
    }
    return ReceiveAnswer(socket, reader, buffer);
}

// One complete dump over a socket of its own.
std::error_code DumpOnce(int attempt, std::vector<NeighbourRow>& rows, bool& interrupted) {
    RouteSocket socket;
    std::uint32_t portId = 0;
    if (const std::error_code error = socket.Bind(portId)) {
        return error;
    }
    const std::uint32_t sequence = NewSequence(attempt);
    NeighbourReplyReader reader(sequence, portId);
    std::vector<std::uint8_t> buffer(kReceiveBufferSize);
    if (const std::error_code error =
            Exchange(socket, NeighbourDumpRequest(sequence), reader, buffer)) {
        return error;
    }
    rows = std::move(reader.Rows());
    interrupted = reader.Interrupted();
    return {};
}

// The interfaces that can hold IPv4 neighbour entries, in ascending index.
// A list that the kernel reports as disturbed by an interface coming or
// going is read again, like the table.
std::error_code ListIpv4Interfaces(RouteSocket& socket, std::uint32_t portId,
                                   std::uint32_t& sequence, std::vector<std::uint8_t>& buffer,
                                   std::vector<std::uint32_t>& indexes) {
    for (int attempt = 0; attempt < kDumpAttempts; ++attempt) {
        InterfaceListReader reader(++sequence, portId);
        if (const std::error_code error =
                Exchange(socket, InterfaceListRequest(sequence), reader, buffer)) {
            return error;
        }
        indexes = std::move(reader.Indexes());
        if (!reader.Interrupted()) {
            break;
        }
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    return {};
}

bool IsError(const std::error_code& error, int value) noexcept {
    return error == std::error_code(value, std::system_category());
}

// Asks for the entry of address on each interface of batch, all requests
// in one datagram; the kernel answers them one by one, in order. Appends
// the rows that come back and sets unsupported as GetNeighbourRows does.
std::error_code GetBatch(RouteSocket& socket, std::uint32_t portId, std::uint32_t& sequence,
                         std::vector<std::uint8_t>& buffer, std::uint32_t address,
                         std::span<const std::uint32_t> batch, std::vector<NeighbourRow>& rows,
                         bool& unsupported) {
    const std::uint32_t first = sequence + 1;
    std::vector<std::uint8_t> requests;
    requests.reserve(batch.size() * kNeighbourGetRequestSize);
    for (std::size_t i = 0; i < batch.size(); ++i) {
        const auto request =
            NeighbourGetRequest(first + static_cast<std::uint32_t>(i), batch[i], address);
        requests.insert(requests.end(), request.begin(), request.end());
    }
    sequence += static_cast<std::uint32_t>(batch.size());
    if (const std::error_code error = socket.SendToKernel(requests)) {
        return error;
    }
    for (std::size_t i = 0; i < batch.size(); ++i) {
        NeighbourReplyReader reader(first + static_cast<std::uint32_t>(i), portId,
                                    NeighbourAnswer::Single);
        // The answer to a get is one short message, far below the buffer.
        const std::error_code error = ReceiveAnswer(socket, reader, buffer, Fit::AsIs);
        // No entry there, or the interface went away since it was listed.
        if (IsError(error, ENOENT) || IsError(error, ENODEV)) {
            continue;
        }
        if (IsError(error, EOPNOTSUPP)) {
            unsupported = true;
            return error;
        }
        if (error) {
            return error;
        }
        for (const NeighbourRow& row : reader.Rows()) {
            if (row.address == address && row.interfaceIndex == batch[i]) {
                rows.push_back(row);
            }
        }
    }
    return {};
}

// Hears the kernel announce that an interface came, went or changed, its
// IPv4 settings included: any message of RTNLGRP_LINK or
// RTNLGRP_IPV4_NETCONF. The kernel queues an announcement before the call
// that made the change returns, so a list read after the last announcement
// was taken is still true.
class InterfaceChangeListener {
public:
    std::error_code Open() noexcept {
        m_fd = UniqueFd(socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE));
        if (!m_fd.IsOpen()) {
            return LastSystemError();
        }
        sockaddr_nl local{};
        local.nl_family = AF_NETLINK;
        if (bind(m_fd.Get(), reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
            return LastSystemError();
        }
        for (const int group : {RTNLGRP_LINK, RTNLGRP_IPV4_NETCONF}) {
            if (setsockopt(m_fd.Get(), SOL_NETLINK, NETLINK_ADD_MEMBERSHIP, &group, sizeof group) !=
                0) {
                return LastSystemError();
            }
        }
        return {};
    }

    // Takes every announcement waiting and tells whether there was any. A
    // queue that overflowed (ENOBUFS), or any other failure to read it,
    // counts as a change: the list is then read again rather than trusted.
    bool TakeChanges() noexcept {
        bool changed = false;
        for (;;) {
            std::uint8_t discarded[64];
            const ssize_t received = recv(m_fd.Get(), discarded, sizeof discarded, MSG_TRUNC);
            if (received >= 0) {
                changed = true;
            } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
                return changed;
            } else if (errno != EINTR) {
                changed = true;
                if (errno != ENOBUFS) {
                    return changed;
                }
            }
        }
    }

private:
    UniqueFd m_fd;
};

} // namespace

// What ReadNeighbourRows needs for one address: the request socket and the
// interface list, opened and read on first use. A reader of one call reads
// the list once; the reader of a NeighbourReadScope keeps both and reads
// the list again after any interface change.
class NeighbourRowsReader {
public:
    explicit NeighbourRowsReader(bool keepsInterfaces) noexcept
        : m_keepsInterfaces(keepsInterfaces) {}

    // The rows of address, asked interface by interface. Sets unsupported
    // when the kernel does not answer gets of single entries (before Linux
    // 5.0). A failure closes the sockets, so that the next call starts
    // afresh.
    std::error_code Read(std::uint32_t address, std::vector<NeighbourRow>& rows,
                         bool& unsupported) {
        std::error_code error = ReadInterfacesIfStale();
        for (std::size_t start = 0; !error && start < m_indexes.size(); start += kGetsPerDatagram) {
            const auto batch = std::span(m_indexes).subspan(
                start, std::min(kGetsPerDatagram, m_indexes.size() - start));
            error = GetBatch(*m_socket, m_portId, m_sequence, m_buffer, address, batch, rows,
                             unsupported);
        }
        if (error) {
            m_socket.reset();
            m_changes.reset();
        }
        return error;
    }

private:
    std::error_code Open() {
        if (m_keepsInterfaces) {
            m_changes.emplace();
            if (const std::error_code error = m_changes->Open()) {
                return error;
            }
        }
        m_socket.emplace();
        if (const std::error_code error = m_socket->Bind(m_portId)) {
            return error;
        }
        m_sequence = NewSequence(0);
        m_buffer.resize(kSmallAnswerBufferSize);
        return {};
    }

    // Opens the sockets if they are not, and lists the interfaces if they
    // were just opened or the kernel has announced a change since. The
    // listener is opened first and emptied before the list is read, so no
    // change can fall between the two.
    std::error_code ReadInterfacesIfStale() {
        if (!m_socket) {
            if (const std::error_code error = Open()) {
                return error;
            }
        } else if (!m_changes || !m_changes->TakeChanges()) {
            return {};
        }
        return ListIpv4Interfaces(*m_socket, m_portId, m_sequence, m_buffer, m_indexes);
    }

    bool m_keepsInterfaces;
    std::optional<RouteSocket> m_socket;
    std::optional<InterfaceChangeListener> m_changes;
    std::uint32_t m_portId = 0;
    std::uint32_t m_sequence = 0;
    std::vector<std::uint8_t> m_buffer;
    std::vector<std::uint32_t> m_indexes;
};

namespace {

// The reader of the calling thread's innermost NeighbourReadScope, if any.
thread_local NeighbourRowsReader* t_scopeReader = nullptr;

// The rows of address, over the scope's reader or one of this call's own.
std::error_code GetNeighbourRows(std::uint32_t address, std::vector<NeighbourRow>& rows,
                                 bool& unsupported) {
    if (t_scopeReader != nullptr) {
        return t_scopeReader->Read(address, rows, unsupported);
    }
    NeighbourRowsReader reader(false);
    return reader.Read(address, rows, unsupported);
}

// The rows of address picked out of the whole table.
std::error_code DumpNeighbourRows(std::uint32_t address, std::vector<NeighbourRow>& rows) {
    if (const std::error_code error = ReadNeighbourTable(rows)) {
        return error;
    }
    std::erase_if(rows, [address](const NeighbourRow& row) { return row.address != address; });
    return {};
}

} // namespace

NeighbourType NeighbourTypeFromState(std::uint16_t state) noexcept {
    if ((state & NUD_PERMANENT) != 0) {
        return NeighbourType::Static;
    }
    if ((state & NUD_NOARP) != 0) {
        return NeighbourType::Other;
    }
    if ((state & (NUD_REACHABLE | NUD_STALE | NUD_DELAY | NUD_PROBE)) != 0) {
        return NeighbourType::Dynamic;
    }
    return NeighbourType::Invalid; // NUD_INCOMPLETE, NUD_FAILED, NUD_NONE
}

std::error_code ReadNeighbourTable(std::vector<NeighbourRow>& rows) {
    rows.clear();
    try {
        for (int attempt = 0; attempt < kDumpAttempts; ++attempt) {
            bool interrupted = false;
            if (const std::error_code error = DumpOnce(attempt, rows, interrupted)) {
                rows.clear();
                return error;
            }
            if (!interrupted) {
                break;
            }
        }
        SortNeighbourRows(rows);
    } catch (const std::bad_alloc&) {
        rows.clear();
        return std::make_error_code(std::errc::not_enough_memory);
    }
    return {};
}

NeighbourReadScope::NeighbourReadScope()
    : m_reader(std::make_unique<NeighbourRowsReader>(true)), m_outer(t_scopeReader) {
    t_scopeReader = m_reader.get();
}

NeighbourReadScope::~NeighbourReadScope() {
    t_scopeReader = m_outer;
}

std::error_code ReadNeighbourRows(std::uint32_t address, std::vector<NeighbourRow>& rows) {
    rows.clear();
    try {
        bool unsupported = false;
        std::error_code error = GetNeighbourRows(address, rows, unsupported);
        if (unsupported) {
            rows.clear();
            error = DumpNeighbourRows(address, rows);
        }
        if (error) {
            rows.clear();
        }
        return error;
    } catch (const std::bad_alloc&) {
        rows.clear();
        return std::make_error_code(std::errc::not_enough_memory);
    }
}

} // namespace nodescout
