#include "probe/RangeCheck.h"

#include <cstddef>

namespace nodescout {
namespace {

// Longer texts are shown cut, so that a pasted page fits into a message box.
constexpr std::size_t kShownLength = 40;

// One part: 0 to 255, decimal, no leading zero (which the walks' parser
// would read as octal).
std::optional<std::uint32_t> ParsePart(std::string_view part) noexcept {
    if (part.empty() || part.size() > 3 || (part.size() > 1 && part.front() == '0')) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : part) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + static_cast<std::uint32_t>(c - '0');
    }
    return value <= 255 ? std::optional<std::uint32_t>(value) : std::nullopt;
}

std::string Quoted(std::string_view text) {
    if (text.size() > kShownLength) {
        return "\"" + std::string(text.substr(0, kShownLength)) + "...\"";
    }
    return "\"" + std::string(text) + "\"";
}

// "the start is empty", "the end "x" is not an IPv4 address"; empty when
// text is an address.
std::string EndProblem(const char* which, std::string_view text) {
    if (ParseDottedAddress(text)) {
        return {};
    }
    if (text.empty()) {
        return std::string("the ") + which + " is empty";
    }
    return std::string("the ") + which + " " + Quoted(text) + " is not an IPv4 address";
}

std::uint64_t AddressCount(std::uint32_t start, std::uint32_t end, WalkKind walk) noexcept {
    if (walk == WalkKind::EndIncluded) {
        return start <= end ? std::uint64_t{end} - start + 1 : 0;
    }
    const auto count = static_cast<std::int32_t>(end - start);
    return count > 0 ? static_cast<std::uint64_t>(count) : 0;
}

} // namespace

std::optional<std::uint32_t> ParseDottedAddress(std::string_view text) noexcept {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        if ((part < 3) == (dot == std::string_view::npos)) {
            return std::nullopt; // fewer or more than four parts
        }
        const std::optional<std::uint32_t> value = ParsePart(text.substr(0, dot));
        if (!value) {
            return std::nullopt;
        }
        address = address << 8 | *value;
        text.remove_prefix(part < 3 ? dot + 1 : text.size());
    }
    return address;
}

RangeCheck CheckRange(std::string_view start, std::string_view end, WalkKind walk) {
    RangeCheck check;
    const std::string startProblem = EndProblem("start", start);
    const std::string endProblem = EndProblem("end", end);
    if (!startProblem.empty() || !endProblem.empty()) {
        check.problem = startProblem.empty() ? endProblem
                        : endProblem.empty() ? startProblem
                                             : startProblem + " and " + endProblem;
        return check;
    }
    check.addressCount = AddressCount(*ParseDottedAddress(start), *ParseDottedAddress(end), walk);
    return check;
}

} // namespace nodescout
