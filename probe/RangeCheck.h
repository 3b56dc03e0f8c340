#pragma once

// The check that a command makes before it walks an address range: both
// ends must be dotted IPv4 addresses as a person writes them, four decimal
// numbers from 0 to 255 joined by dots, without leading zeros, blanks or
// anything else. The address parser of the walks reads far more (fewer
// parts, octal and hexadecimal parts) and reads everything else as
// 255.255.255.255, so a typo would otherwise turn into a walk of addresses
// nobody typed. A text this check accepts means the same address to that
// parser.
//
// The check also counts the addresses the walk will probe, by the walk's
// own rules, so that a large range can be confirmed first.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nodescout {

// Ranges of more addresses than this are walked only when confirmed.
inline constexpr std::uint64_t kLargeRangeAddresses = 65536;

// The address as a host-order value, or nothing when text is not a dotted
// IPv4 address (see above).
std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) noexcept;

// Which walk will run: the range walks of "Retr All" and the auto-scan
// stop before the end address and probe nothing unless the end lies above
// the start (the difference is a signed 32-bit value, so a range of 2^31
// addresses or more probes nothing either); the MAC search probes its end
// too, nothing when the end lies below the start.
enum class WalkKind { EndExcluded, EndIncluded };

struct RangeCheck {
    // What is wrong with the range, for the user, such as
    // `the end "198.18.0.2555" is not an IPv4 address`; empty when both
    // ends are addresses.
    std::string problem;
    // How many addresses the walk will probe; 0 when there is a problem.
    std::uint64_t addressCount = 0;

    bool IsWalkable() const noexcept { return problem.empty(); }
    bool IsLarge() const noexcept { return addressCount > kLargeRangeAddresses; }
};

RangeCheck CheckRange(std::string_view start, std::string_view end, WalkKind walk);

} // namespace nodescout
