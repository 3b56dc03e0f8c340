#pragma once

// The rtnetlink exchanges that read the IPv4 neighbour table, without the
// socket: the requests as bytes, and readers that take the kernel's answers
// one datagram at a time. Kept apart from the socket so that every length
// check can be tried on hand-made bytes.
//
// Three exchanges: a dump of the whole table (RTM_GETNEIGH with NLM_F_DUMP);
// the list of the interfaces that have IPv4 settings, and so can hold IPv4
// neighbour entries (a dump of RTM_GETNETCONF for AF_INET); and the entry of
// one address on one interface (RTM_GETNEIGH without NLM_F_DUMP, answered by
// one RTM_NEWNEIGH, or by an NLMSG_ERROR such as ENOENT when there is none).
//
// The readers trust no length they have not checked: each message header
// must fit in what is left of the datagram and its stated length must fit
// too, a message must hold its whole fixed header (ndmsg, netconfmsg), and
// each route attribute must fit in what is left of its message. Anything
// that fails these checks makes the whole read fail with
// std::errc::bad_message; the kernel never sends such bytes, so a partial
// answer would hide a real fault.

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
// The same, then an NDA_DST attribute of four bytes (8 bytes).
inline constexpr std::size_t kNeighbourGetRequestSize = 36;
// A netlink message header and a netconfmsg padded to four bytes.
inline constexpr std::size_t kInterfaceListRequestSize = 20;

// RTM_GETNEIGH with NLM_F_REQUEST | NLM_F_DUMP for family AF_INET, with the
// given sequence number and port id 0 (the kernel fills in the sender).
std::array<std::uint8_t, kNeighbourDumpRequestSize>
NeighbourDumpRequest(std::uint32_t sequence) noexcept;

// RTM_GETNEIGH with NLM_F_REQUEST only, for family AF_INET, ndm_ifindex
// interfaceIndex, and NDA_DST address (IPv4, network byte order); state,
// flags and type zero, as the kernel demands of such a request.
std::array<std::uint8_t, kNeighbourGetRequestSize>
NeighbourGetRequest(std::uint32_t sequence, std::uint32_t interfaceIndex,
                    std::uint32_t address) noexcept;

// RTM_GETNETCONF with NLM_F_REQUEST | NLM_F_DUMP for family AF_INET.
std::array<std::uint8_t, kInterfaceListRequestSize>
InterfaceListRequest(std::uint32_t sequence) noexcept;

// What the readers have in common: the walk over the messages of a
// datagram, and how an answer ends.
class RouteReplyReader {
public:
    // sequence: the number the request carried; portId: the netlink port id
    // of the socket that sent it. Messages with another sequence number or
    // port id belong to someone else and are skipped.
    RouteReplyReader(std::uint32_t sequence, std::uint32_t portId) noexcept;
    virtual ~RouteReplyReader() = default;
    RouteReplyReader(const RouteReplyReader&) = delete;
    RouteReplyReader& operator=(const RouteReplyReader&) = delete;

    // Reads every message of one datagram. NLMSG_DONE, or an NLMSG_ERROR
    // with code 0 (an acknowledgement), ends the answer; an NLMSG_ERROR with
    // a negative code ends it with that errno as the error (system_category).
    // Other messages go to the reader's own kind. Messages after the end are
    // ignored.
    std::error_code Read(std::span<const std::uint8_t> datagram);

    // True once the answer has ended (successfully or with an error).
    bool Finished() const noexcept { return m_finished; }
    // True when the kernel flagged any of our messages NLM_F_DUMP_INTR: the
    // table changed while it was being dumped, so entries may be missing or
    // doubled and the dump is worth repeating.
    bool Interrupted() const noexcept { return m_interrupted; }

protected:
    // One message of ours that is neither NLMSG_DONE nor NLMSG_ERROR.
    virtual std::error_code ReadMessage(std::uint16_t type,
                                        std::span<const std::uint8_t> payload) = 0;
    void Finish() noexcept { m_finished = true; }

private:
    std::error_code ReadDone(std::span<const std::uint8_t> payload);
    std::error_code ReadError(std::span<const std::uint8_t> payload);

    std::uint32_t m_sequence;
    std::uint32_t m_portId;
    bool m_finished = false;
    bool m_interrupted = false;
};

// How a neighbour answer ends.
enum class NeighbourAnswer {
    Dump,   // with NLMSG_DONE (or an error)
    Single, // with its first RTM_NEWNEIGH (or an error): the answer to a get
};

// Collects the rows of a neighbour answer: RTM_NEWNEIGH messages of family
// AF_INET that carry an NDA_DST become rows; other message types are
// skipped.
class NeighbourReplyReader final : public RouteReplyReader {
public:
    NeighbourReplyReader(std::uint32_t sequence, std::uint32_t portId,
                         NeighbourAnswer answer = NeighbourAnswer::Dump) noexcept;

    // The rows read so far, in the order the kernel sent them.
    std::vector<NeighbourRow>& Rows() noexcept { return m_rows; }

private:
    std::error_code ReadMessage(std::uint16_t type, std::span<const std::uint8_t> payload) override;

    NeighbourAnswer m_answer;
    std::vector<NeighbourRow> m_rows;
};

// Collects the interface indexes of an InterfaceListRequest's answer: the
// NETCONFA_IFINDEX of each RTM_NEWNETCONF message of family AF_INET, except
// the pseudo-interfaces "all" and "default" (negative indexes). Other
// message types are skipped.
class InterfaceListReader final : public RouteReplyReader {
public:
    InterfaceListReader(std::uint32_t sequence, std::uint32_t portId) noexcept;

    // The indexes read so far, in the order the kernel sent them.
    std::vector<std::uint32_t>& Indexes() noexcept { return m_indexes; }

private:
    std::error_code ReadMessage(std::uint16_t type, std::span<const std::uint8_t> payload) override;

    std::vector<std::uint32_t> m_indexes;
};

// Ascending by address compared as host-order numbers, then by interface
// index: the order ReadNeighbourTable promises.
void SortNeighbourRows(std::vector<NeighbourRow>& rows);

} // namespace nodescout
