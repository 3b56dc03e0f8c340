#pragma once

// The NetBIOS node-status exchange (RFC 1001/1002) as far as Nodescout uses
// it: one fixed wildcard request, and the three fields read from an answer.

#include "platform/text/FixedText.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace nodescout {

inline constexpr std::uint16_t kNetBiosNamePort = 137;
inline constexpr std::size_t kNodeStatusRequestSize = 50;
// Receive buffer for an answer; a longer datagram is cut to this size.
inline constexpr std::size_t kNodeStatusAnswerCapacity = 4096;
// Longest computer name an answer can carry.
inline constexpr std::size_t kNetBiosNameLength = 15;

using ComputerName = FixedText<kNetBiosNameLength + 1>;

// The request for the node status of "*", identical for every address:
// transaction id 0, one question, the encoded wildcard name, type NBSTAT,
// class IN.
const std::array<std::uint8_t, kNodeStatusRequestSize>& NodeStatusRequest() noexcept;

struct NodeStatusAnswer {
    MacText macText;           // twelve lower-case hexadecimal digits
    ComputerName computerName; // entry 0 of the name table, trimmed; may be empty
    bool adapterAddressIsZero = false;
};

// Reads an answer datagram at the fixed offsets of a node-status response:
// the name count at 56, name entry 0 at 57, the adapter address after the
// name table. Bytes beyond the datagram, and beyond the 4096 bytes a probe
// receives, read as zero. Nothing else of the answer is checked.
NodeStatusAnswer ReadNodeStatusAnswer(std::span<const std::uint8_t> datagram) noexcept;

// "%02x" of the six bytes in order.
MacText FormatMacText(std::span<const std::uint8_t, 6> bytes) noexcept;

} // namespace nodescout
