#include "platform/text/NumberText.h"

#include <climits>

namespace nodescout {
namespace {

bool IsAtoiSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

} // namespace

int ReadNumberText(const char* text) noexcept {
    if (!text) {
        return 0;
    }
    while (IsAtoiSpace(*text)) {
        ++text;
    }
    const bool negative = *text == '-';
    if (*text == '-' || *text == '+') {
        ++text;
    }
    // Accumulate towards the sign's end of the range and stop there.
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        return static_cast<int>(-value);
    }
    return static_cast<int>(value > INT_MAX ? INT_MAX : value);
}

} // namespace nodescout
