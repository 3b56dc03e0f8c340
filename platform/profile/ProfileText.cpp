#include "platform/profile/ProfileText.h"

#include <optional>

namespace nodescout::profile {
namespace {

char FoldAscii(char character) noexcept {
    return character >= 'A' && character <= 'Z' ? static_cast<char>(character - 'A' + 'a')
                                                : character;
}

std::optional<std::uint32_t> DigitValue(char character, std::uint32_t base) noexcept {
    std::uint32_t digit = base;
    if (character >= '0' && character <= '9') {
        digit = static_cast<std::uint32_t>(character - '0');
    } else if (character >= 'a' && character <= 'f') {
        digit = static_cast<std::uint32_t>(character - 'a' + 10);
    } else if (character >= 'A' && character <= 'F') {
        digit = static_cast<std::uint32_t>(character - 'A' + 10);
    }
    return digit < base ? std::optional<std::uint32_t>(digit) : std::nullopt;
}

// Removes a "0x" or "0b" prefix (either case) and returns the base it names.
std::uint32_t TakeBasePrefix(std::string_view& digits) noexcept {
    if (digits.size() >= 2 && digits[0] == '0') {
        const char marker = FoldAscii(digits[1]);
        if (marker == 'x' || marker == 'b') {
            digits.remove_prefix(2);
            return marker == 'x' ? 16 : 2;
        }
    }
    return 10;
}

} // namespace

bool IsBlank(char character) noexcept {
    return character == ' ' || character == '\t' || character == '\v' || character == '\f';
}

std::string_view TrimBlanks(std::string_view text) noexcept {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view StripQuotes(std::string_view text) noexcept {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::string_view CleanValue(std::string_view text) noexcept {
    return StripQuotes(TrimBlanks(text));
}

bool EqualsIgnoringCase(std::string_view left, std::string_view right) noexcept {
    if (left.size() != right.size()) {
        return false;
    }
    for (std::size_t index = 0; index < left.size(); ++index) {
        if (FoldAscii(left[index]) != FoldAscii(right[index])) {
            return false;
        }
    }
    return true;
}

std::uint32_t ParseProfileInt(std::string_view value) noexcept {
    bool negative = false;
    if (!value.empty() && (value.front() == '+' || value.front() == '-')) {
        negative = value.front() == '-';
        value.remove_prefix(1);
    }
    const std::uint32_t base = TakeBasePrefix(value);
    std::uint32_t number = 0;
    for (const char character : value) {
        const std::optional<std::uint32_t> digit = DigitValue(character, base);
        if (!digit) {
            break;
        }
        number = number * base + *digit; // unsigned: wraps modulo 2^32 on purpose
    }
    return negative ? 0u - number : number;
}

} // namespace nodescout::profile
