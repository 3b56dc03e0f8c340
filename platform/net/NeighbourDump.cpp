#include "platform/net/NeighbourDump.h"

#include "platform/process/SystemError.h"

#include <arpa/inet.h>
#include <linux/neighbour.h>
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
// Longest hardware address a row keeps (NeighbourRow::physicalAddress).
constexpr std::size_t kPhysicalAddressCapacity = sizeof(NeighbourRow{}.physicalAddress);

static_assert(kMessageHeaderSize + sizeof(ndmsg) == kNeighbourDumpRequestSize);

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

} // namespace

std::array<std::uint8_t, kNeighbourDumpRequestSize>
NeighbourDumpRequest(std::uint32_t sequence) noexcept {
    nlmsghdr header{};
    header.nlmsg_len = kNeighbourDumpRequestSize;
    header.nlmsg_type = RTM_GETNEIGH;
    header.nlmsg_flags = NLM_F_REQUEST | NLM_F_DUMP;
    header.nlmsg_seq = sequence;
    header.nlmsg_pid = 0;

    ndmsg message{};
    message.ndm_family = AF_INET;

    std::array<std::uint8_t, kNeighbourDumpRequestSize> request{};
    std::memcpy(request.data(), &header, sizeof header);
    std::memcpy(request.data() + kMessageHeaderSize, &message, sizeof message);
    return request;
}

NeighbourDumpReader::NeighbourDumpReader(std::uint32_t sequence, std::uint32_t portId) noexcept
    : m_sequence(sequence), m_portId(portId) {}

std::error_code NeighbourDumpReader::Read(std::span<const std::uint8_t> datagram) {
    std::span<const std::uint8_t> rest = datagram;
    while (!rest.empty() && !m_finished) {
        if (rest.size() < sizeof(nlmsghdr)) {
            return BadMessage();
        }
        const auto header = ReadStruct<nlmsghdr>(rest);
        if (header.nlmsg_len < kMessageHeaderSize || header.nlmsg_len > rest.size()) {
            return BadMessage();
        }
        const bool ours = header.nlmsg_seq == m_sequence && header.nlmsg_pid == m_portId;
        if (ours) {
            if ((header.nlmsg_flags & NLM_F_DUMP_INTR) != 0) {
                m_interrupted = true;
            }
            const auto payload =
                rest.subspan(kMessageHeaderSize, header.nlmsg_len - kMessageHeaderSize);
            if (const std::error_code error = ReadMessage(header.nlmsg_type, payload)) {
                m_finished = true;
                return error;
            }
        }
        rest = After(rest, header.nlmsg_len);
    }
    return {};
}

std::error_code NeighbourDumpReader::ReadMessage(std::uint16_t type,
                                                 std::span<const std::uint8_t> payload) {
    switch (type) {
    case NLMSG_DONE:
        return ReadDone(payload);
    case NLMSG_ERROR:
        return ReadError(payload);
    case RTM_NEWNEIGH:
        return ReadNeighbour(payload);
    default:
        return {}; // NLMSG_NOOP and whatever else a dump does not need
    }
}

std::error_code NeighbourDumpReader::ReadDone(std::span<const std::uint8_t> payload) {
    m_finished = true;
    // Newer kernels put the dump's own result in NLMSG_DONE; older ones
    // send no payload at all.
    if (payload.size() < sizeof(int)) {
        return {};
    }
    return ErrorFromKernelCode(ReadStruct<int>(payload));
}

std::error_code NeighbourDumpReader::ReadError(std::span<const std::uint8_t> payload) {
    m_finished = true;
    // Only the error code is read, not the echoed request behind it.
    if (payload.size() < sizeof(int)) {
        return BadMessage();
    }
    return ErrorFromKernelCode(ReadStruct<int>(payload));
}

std::error_code NeighbourDumpReader::ReadNeighbour(std::span<const std::uint8_t> payload) {
    if (payload.size() < sizeof(ndmsg)) {
        return BadMessage();
    }
    const auto message = ReadStruct<ndmsg>(payload);
    if (message.ndm_family != AF_INET) {
        return {};
    }

    NeighbourRow row;
    row.interfaceIndex = static_cast<std::uint32_t>(message.ndm_ifindex);
    row.type = NeighbourTypeFromState(message.ndm_state);
    bool hasAddress = false;

    std::span<const std::uint8_t> attributes = After(payload, kNeighbourHeaderSize);
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
        switch (attribute.rta_type & NLA_TYPE_MASK) {
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
        attributes = After(attributes, attribute.rta_len);
    }

    // An entry without an address cannot be looked up; the kernel always
    // sends one, so skipping it loses nothing real.
    if (hasAddress) {
        m_rows.push_back(row);
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
