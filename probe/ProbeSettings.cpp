#include "probe/ProbeSettings.h"

#include "platform/profile/PrivateProfile.h"
#include "probe/ProbeWait.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout {
namespace {

// Longer values are refused even when their leading zeros would leave a
// usable number.
constexpr std::size_t kLongestMillisecondsText = 14;

std::optional<int> WholeMilliseconds(std::string_view text) noexcept {
    if (text.empty() || text.size() > kLongestMillisecondsText) {
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
    // One reading of the file for both keys: the probe reads them before
    // every address, so that an edit counts from the next one.
    const char* const keys[] = {kTimeOutMillisecondsKey, kTimeOutMicrosecondsKey};
    const std::vector<std::optional<std::string>> values =
        GetPrivateProfileValues(kProfileSection, keys, path);
    if (values[0]) {
        if (const std::optional<int> milliseconds = WholeMilliseconds(*values[0])) {
            return timeval{*milliseconds / 1000, (*milliseconds % 1000) * 1000};
        }
    }
    const int microseconds =
        static_cast<int>(ProfileIntOrDefault(values[1], kDefaultTimeOutMicroseconds));
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
