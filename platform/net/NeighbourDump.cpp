#include "platform/net/NeighbourDump.h"

#include "platform/process/SystemError.h"

#include <arpa/inet.h>
#include <linux/neighbour.h>
#include <linux/netconf.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <tuple>

namespace nodescout {
namespace {

// Netlink pads every message and every attribute to a multiple of four.
constexpr std::size_t kNetlinkAlignment = 4;
// The kernel's error codes are errno values, never larger than this.
constexpr int kLargestErrno = 4095;

constexpr std::size_t Aligned(std::size_t length) noexcept {
    return (length + kNetlinkAlignment - 1) & ~(kNetlinkAlignment - 1);
}

constexpr std::size_t kMessageHeaderSize = Aligned(sizeof(nlmsghdr));
constexpr std::size_t kNeighbourHeaderSize = Aligned(sizeof(ndmsg));
constexpr std::size_t kAttributeHeaderSize = Aligned(sizeof(rtattr));
constexpr std::size_t kNetconfHeaderSize = Aligned(sizeof(netconfmsg));
// Longest hardware address a row keeps (NeighbourRow::physicalAddress).
constexpr std::size_t kPhysicalAddressCapacity = sizeof(NeighbourRow{}.physicalAddress);

static_assert(kMessageHeaderSize + sizeof(ndmsg) == kNeighbourDumpRequestSize);
static_assert(kMessageHeaderSize + kNeighbourHeaderSize + kAttributeHeaderSize +
                  sizeof(std::uint32_t) ==
              kNeighbourGetRequestSize);
static_assert(kMessageHeaderSize + kNetconfHeaderSize == kInterfaceListRequestSize);

std::error_code BadMessage() noexcept {
    return std::make_error_code(std::errc::bad_message);
}

// A kernel result code: 0 or a negated errno value.
std::error_code ErrorFromKernelCode(int code) noexcept {
    if (code < -kLargestErrno || code > 0) {
        return BadMessage();
    }
    return code == 0 ? std::error_code() : ErrorFromErrno(-code);
}

// Copies a structure out of bytes that may not be aligned for it. The caller
// has checked that bytes holds at least sizeof(T).
template <typename T>
T ReadStruct(std::span<const std::uint8_t> bytes) noexcept {
    T value;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

// What follows an item of the given aligned length, or nothing when the
// padding runs past the end (the last item need not be padded).
std::span<const std::uint8_t> After(std::span<const std::uint8_t> bytes,
                                    std::size_t length) noexcept {
    const std::size_t step = Aligned(length);
    return step < bytes.size() ? bytes.subspan(step) : std::span<const std::uint8_t>();
}

// Copies a structure into a request at the given offset.
template <std::size_t Size, typename T>
void WriteStruct(std::array<std::uint8_t, Size>& request, std::size_t offset,
                 const T& value) noexcept {
    static_assert(sizeof(T) <= Size);
    std::memcpy(request.data() + offset, &value, sizeof value);
}

nlmsghdr RequestHeader(std::size_t length, std::uint16_t type, std::uint16_t flags,
                       std::uint32_t sequence) noexcept {
    nlmsghdr header{};
    header.nlmsg_len = static_cast<std::uint32_t>(length);
    header.nlmsg_type = type;
    header.nlmsg_flags = flags;
    header.nlmsg_seq = sequence;
    header.nlmsg_pid = 0;
    return header;
}

// Calls handle(type, value) for each route attribute in attributes, in
// order, and stops at the first error it returns.
template <typename Handler>
std::error_code ForEachAttribute(std::span<const std::uint8_t> attributes, Handler handle) {
    while (!attributes.empty()) {
        if (attributes.size() < sizeof(rtattr)) {
            return BadMessage();
        }
        const auto attribute = ReadStruct<rtattr>(attributes);
        if (attribute.rta_len < kAttributeHeaderSize || attribute.rta_len > attributes.size()) {
            return BadMessage();
        }
        const auto value =
            attributes.subspan(kAttributeHeaderSize, attribute.rta_len - kAttributeHeaderSize);
        if (const std::error_code error = handle(attribute.rta_type & NLA_TYPE_MASK, value)) {
            return error;
        }
        attributes = After(attributes, attribute.rta_len);
    }
    return {};
}

} // namespace

std::array<std::uint8_t, kNeighbourDumpRequestSize>
NeighbourDumpRequest(std::uint32_t sequence) noexcept {
    ndmsg message{};
    message.ndm_family = AF_INET;

    std::array<std::uint8_t, kNeighbourDumpRequestSize> request{};
    WriteStruct(request, 0,
                RequestHeader(request.size(), RTM_GETNEIGH, NLM_F_REQUEST | NLM_F_DUMP, sequence));
    WriteStruct(request, kMessageHeaderSize, message);
    return request;
}

std::array<std::uint8_t, kNeighbourGetRequestSize>
NeighbourGetRequest(std::uint32_t sequence, std::uint32_t interfaceIndex,
                    std::uint32_t address) noexcept {
    ndmsg message{};
    message.ndm_family = AF_INET;
    message.ndm_ifindex = static_cast<int>(interfaceIndex);
    rtattr destination{};
    destination.rta_len = static_cast<std::uint16_t>(kAttributeHeaderSize + sizeof address);
    destination.rta_type = NDA_DST;

    std::array<std::uint8_t, kNeighbourGetRequestSize> request{};
    WriteStruct(request, 0, RequestHeader(request.size(), RTM_GETNEIGH, NLM_F_REQUEST, sequence));
    WriteStruct(request, kMessageHeaderSize, message);
    WriteStruct(request, kMessageHeaderSize + kNeighbourHeaderSize, destination);
    WriteStruct(request, kMessageHeaderSize + kNeighbourHeaderSize + kAttributeHeaderSize, address);
    return request;
}

std::array<std::uint8_t, kInterfaceListRequestSize>
InterfaceListRequest(std::uint32_t sequence) noexcept {
    netconfmsg message{};
    message.ncm_family = AF_INET;

    std::array<std::uint8_t, kInterfaceListRequestSize> request{};
    WriteStruct(
        request, 0,
        RequestHeader(request.size(), RTM_GETNETCONF, NLM_F_REQUEST | NLM_F_DUMP, sequence));
    WriteStruct(request, kMessageHeaderSize, message);
    return request;
}

RouteReplyReader::RouteReplyReader(std::uint32_t sequence, std::uint32_t portId) noexcept
    : m_sequence(sequence), m_portId(portId) {}

std::error_code RouteReplyReader::Read(std::span<const std::uint8_t> datagram) {
    std::span<const std::uint8_t> rest = datagram;
    while (!rest.empty() && !m_finished) {
        if (rest.size() < sizeof(nlmsghdr)) {
            m_finished = true;
            return BadMessage();
        }
        const auto header = ReadStruct<nlmsghdr>(rest);
        if (header.nlmsg_len < kMessageHeaderSize || header.nlmsg_len > rest.size()) {
            m_finished = true;
            return BadMessage();
        }
        const bool ours = header.nlmsg_seq == m_sequence && header.nlmsg_pid == m_portId;
        if (ours) {
            if ((header.nlmsg_flags & NLM_F_DUMP_INTR) != 0) {
                m_interrupted = true;
            }
            const auto payload =
                rest.subspan(kMessageHeaderSize, header.nlmsg_len - kMessageHeaderSize);
            std::error_code error;
            switch (header.nlmsg_type) {
            case NLMSG_DONE:
                error = ReadDone(payload);
                break;
            case NLMSG_ERROR:
                error = ReadError(payload);
                break;
            default:
                error = ReadMessage(header.nlmsg_type, payload);
                break;
            }
            if (error) {
                m_finished = true;
                return error;
            }
        }
        rest = After(rest, header.nlmsg_len);
    }
    return {};
}

std::error_code RouteReplyReader::ReadDone(std::span<const std::uint8_t> payload) {
    m_finished = true;
    // Newer kernels put the dump's own result in NLMSG_DONE; older ones
    // send no payload at all.
    if (payload.size() < sizeof(int)) {
        return {};
    }
    return ErrorFromKernelCode(ReadStruct<int>(payload));
}

std::error_code RouteReplyReader::ReadError(std::span<const std::uint8_t> payload) {
    m_finished = true;
    // Only the error code is read, not the echoed request behind it.
    if (payload.size() < sizeof(int)) {
        return BadMessage();
    }
    return ErrorFromKernelCode(ReadStruct<int>(payload));
}

NeighbourReplyReader::NeighbourReplyReader(std::uint32_t sequence, std::uint32_t portId,
                                           NeighbourAnswer answer) noexcept
    : RouteReplyReader(sequence, portId), m_answer(answer) {}

std::error_code NeighbourReplyReader::ReadMessage(std::uint16_t type,
                                                  std::span<const std::uint8_t> payload) {
    if (type != RTM_NEWNEIGH) {
        return {}; // NLMSG_NOOP and whatever else a neighbour answer does not need
    }
    if (payload.size() < sizeof(ndmsg)) {
        return BadMessage();
    }
    if (m_answer == NeighbourAnswer::Single) {
        Finish();
    }
    const auto message = ReadStruct<ndmsg>(payload);
    if (message.ndm_family != AF_INET) {
        return {};
    }

    NeighbourRow row;
    row.interfaceIndex = static_cast<std::uint32_t>(message.ndm_ifindex);
    row.type = NeighbourTypeFromState(message.ndm_state);
    bool hasAddress = false;
    const std::error_code error = ForEachAttribute(
        After(payload, kNeighbourHeaderSize),
        [&](unsigned attributeType, std::span<const std::uint8_t> value) -> std::error_code {
            switch (attributeType) {
            case NDA_DST:
                if (value.size() != sizeof row.address) {
                    return BadMessage(); // an IPv4 entry's address is four bytes
                }
                std::memcpy(&row.address, value.data(), sizeof row.address);
                hasAddress = true;
                break;
            case NDA_LLADDR:
                // Longer hardware addresses (InfiniBand has 20 bytes) are cut.
                row.physicalAddressLength =
                    static_cast<std::uint32_t>(std::min(value.size(), kPhysicalAddressCapacity));
                std::memcpy(row.physicalAddress, value.data(), row.physicalAddressLength);
                break;
            default:
                break;
            }
            return {};
        });
    if (error) {
        return error;
    }
    // An entry without an address cannot be looked up; the kernel always
    // sends one, so skipping it loses nothing real.
    if (hasAddress) {
        m_rows.push_back(row);
    }
    return {};
}

InterfaceListReader::InterfaceListReader(std::uint32_t sequence, std::uint32_t portId) noexcept
    : RouteReplyReader(sequence, portId) {}

std::error_code InterfaceListReader::ReadMessage(std::uint16_t type,
                                                 std::span<const std::uint8_t> payload) {
    if (type != RTM_NEWNETCONF) {
        return {};
    }
    if (payload.size() < sizeof(netconfmsg)) {
        return BadMessage();
    }
    if (ReadStruct<netconfmsg>(payload).ncm_family != AF_INET) {
        return {};
    }
    std::int32_t index = 0;
    const std::error_code error = ForEachAttribute(
        After(payload, kNetconfHeaderSize),
        [&](unsigned attributeType, std::span<const std::uint8_t> value) -> std::error_code {
            if (attributeType == NETCONFA_IFINDEX) {
                if (value.size() != sizeof index) {
                    return BadMessage();
                }
                std::memcpy(&index, value.data(), sizeof index);
            }
            return {};
        });
    if (error) {
        return error;
    }
    // "all" and "default" have negative indexes, and 0 is no interface.
    if (index > 0) {
        m_indexes.push_back(static_cast<std::uint32_t>(index));
    }
    return {};
}

void SortNeighbourRows(std::vector<NeighbourRow>& rows) {
    std::sort(rows.begin(), rows.end(), [](const NeighbourRow& a, const NeighbourRow& b) {
        return std::tuple(ntohl(a.address), a.interfaceIndex) <
               std::tuple(ntohl(b.address), b.interfaceIndex);
    });
}

} // namespace nodescout
