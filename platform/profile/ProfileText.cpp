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

// The base that the letter after a leading '0' names, or 10 when it names
// none. Lower case only: "0X10" is the decimal 0 followed by a stop.
std::uint32_t BaseNamedBy(char marker) noexcept {
    switch (marker) {
    case 'x':
        return 16;
    case 'o':
        return 8;
    case 'b':
        return 2;
    default:
        return 10;
    }
}

// Removes a "0x", "0o" or "0b" prefix and returns the base it names.
std::uint32_t TakeBasePrefix(std::string_view& digits) noexcept {
    const std::uint32_t base =
        digits.size() >= 2 && digits[0] == '0' ? BaseNamedBy(digits[1]) : 10u;
    if (base != 10) {
        digits.remove_prefix(2);
    }
    return base;
}

// Every byte up to the space counts as white space before a number (bytes
// above 0x7F are characters, not controls).
bool IsSpaceBeforeNumber(char character) noexcept {
    const auto byte = static_cast<unsigned char>(character);
    return byte != 0 && byte <= 0x20;
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
    const bool quote = !text.empty() && (text.front() == '"' || text.front() == '\'');
    if (quote && text.size() >= 2 && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::string_view CleanValue(std::string_view text) noexcept {
    return StripQuotes(TrimBlanks(text));
}

std::string_view CleanDefault(std::string_view text) noexcept {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return StripQuotes(text);
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
    // The classic function reads the value through a 30-character buffer.
    value = value.substr(0, kIntegerTextLength);
    while (!value.empty() && IsSpaceBeforeNumber(value.front())) {
        value.remove_prefix(1);
    }
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
