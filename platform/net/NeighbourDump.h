#pragma once

// The rtnetlink exchange that reads the IPv4 neighbour table, without the
// socket: the dump request as bytes, and a reader that takes the kernel's
// answer one datagram at a time. Kept apart from the socket so that every
// length check can be tried on hand-made bytes.
//
// The reader trusts no length it has not checked: each message header must
// fit in what is left of the datagram and its stated length must fit too,
// a neighbour message must hold a whole ndmsg, and each route attribute must
// fit in what is left of its message. Anything that fails these checks makes
// the whole read fail with std::errc::bad_message; the kernel never sends
// such bytes, so a partial table would hide a real fault.

#include "platform/net/NeighbourTable.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <system_error>
#include <vector>

namespace nodescout {

// A netlink message header (16 bytes) and an ndmsg (12 bytes).
inline constexpr std::size_t kNeighbourDumpRequestSize = 28;

// RTM_GETNEIGH with NLM_F_REQUEST | NLM_F_DUMP for family AF_INET, with the
// given sequence number and port id 0 (the kernel fills in the sender).
std::array<std::uint8_t, kNeighbourDumpRequestSize>
NeighbourDumpRequest(std::uint32_t sequence) noexcept;

// Collects the rows of one dump from the datagrams the kernel sends back.
class NeighbourDumpReader {
public:
    // sequence: the number the request carried; portId: the netlink port id
    // of the socket that sent it. Messages with another sequence number or
    // port id belong to someone else and are skipped.
    NeighbourDumpReader(std::uint32_t sequence, std::uint32_t portId) noexcept;

    // Reads every message of one datagram. RTM_NEWNEIGH messages of family
    // AF_INET that carry an NDA_DST become rows; NLMSG_DONE, or an
    // NLMSG_ERROR with code 0 (an acknowledgement), ends the dump; an
    // NLMSG_ERROR with a negative code ends it with that errno as the error.
    // Other message types are skipped. Messages after the end are ignored.
    std::error_code Read(std::span<const std::uint8_t> datagram);

    // True once the dump has ended (successfully or with an error).
    bool Finished() const noexcept { return m_finished; }
    // True when the kernel flagged any of our messages NLM_F_DUMP_INTR: the
    // table changed while it was being dumped, so rows may be missing or
    // doubled and the dump is worth repeating.
    bool Interrupted() const noexcept { return m_interrupted; }

    // The rows read so far, in the order the kernel sent them.
    std::vector<NeighbourRow>& Rows() noexcept { return m_rows; }

private:
    std::error_code ReadMessage(std::uint16_t type, std::span<const std::uint8_t> payload);
    std::error_code ReadDone(std::span<const std::uint8_t> payload);
    std::error_code ReadError(std::span<const std::uint8_t> payload);
    std::error_code ReadNeighbour(std::span<const std::uint8_t> payload);

    std::uint32_t m_sequence;
    std::uint32_t m_portId;
    bool m_finished = false;
    bool m_interrupted = false;
    std::vector<NeighbourRow> m_rows;
};

// Ascending by address compared as host-order numbers, then by interface
// index: the order ReadNeighbourTable promises.
void SortNeighbourRows(std::vector<NeighbourRow>& rows);

} // namespace nodescout
