#include "probe/ProbeSettings.h"

#include "platform/profile/PrivateProfile.h"
#include "probe/ProbeWait.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace nodescout {
namespace {

// Longer than any usable value, so that a value cut to fit is never taken
// for a shorter number.
constexpr std::uint32_t kValueCapacity = 16;

std::optional<int> WholeMilliseconds(std::string_view text) noexcept {
    if (text.empty() || text.size() >= kValueCapacity - 1) {
        return std::nullopt;
    }
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
        if (value > kLongestTimeOutMilliseconds) {
            return std::nullopt;
        }
    }
    return static_cast<int>(value);
}

// A whole number of decimal digits, saturated at most; empty for anything
// else.
std::optional<int> WholeNumberUpTo(std::string_view text, int most) noexcept {
    if (text.empty()) {
        return std::nullopt;
    }
    long value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = std::min<long>(value * 10 + (c - '0'), most);
    }
    return static_cast<int>(value);
}

} // namespace

timeval ReadProbeWait(const char* path) {
    char text[kValueCapacity] = {};
    const std::uint32_t length = GetPrivateProfileString(kProfileSection, kTimeOutMillisecondsKey,
                                                         "", text, sizeof text, path);
    if (const std::optional<int> milliseconds = WholeMilliseconds(std::string_view(text, length))) {
        return timeval{*milliseconds / 1000, (*milliseconds % 1000) * 1000};
    }
    const int microseconds = static_cast<int>(GetPrivateProfileInt(
        kProfileSection, kTimeOutMicrosecondsKey, kDefaultTimeOutMicroseconds, path));
    return ProbeWait(microseconds);
}

int ReadParallelProbes(const char* path) {
    char text[64] = {};
    const std::uint32_t length =
        GetPrivateProfileString(kProfileSection, kParallelProbesKey, "", text, sizeof text, path);
    if (length >= sizeof text - 1) {
        return 1; // cut to fit: what it would read as is not what was written
    }
    return WholeNumberUpTo(std::string_view(text, length), kMostParallelProbes).value_or(1);
}

} // namespace nodescout
