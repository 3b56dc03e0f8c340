#include "probe/MacAddressText.h"

#include <array>
#include <cstddef>
#include <utility>

namespace nodescout {
namespace {

constexpr std::size_t kDigits = 12;

bool IsHexDigit(char c) noexcept {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

char LowerCase(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string_view Trimmed(std::string_view text) noexcept {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// The digits of text when it is groups of groupLength digits with
// separator between them (no separator: one group of twelve).
std::optional<MacText> DigitsInGroups(std::string_view text, std::size_t groupLength,
                                      char separator) noexcept {
    const std::size_t groups = kDigits / groupLength;
    if (text.size() != kDigits + (separator != '\0' ? groups - 1 : 0)) {
        return std::nullopt;
    }
    std::array<char, kDigits> digits{};
    std::size_t count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool separatorPlace = separator != '\0' && i % (groupLength + 1) == groupLength;
        if (separatorPlace ? text[i] != separator : !IsHexDigit(text[i])) {
            return std::nullopt;
        }
        if (!separatorPlace) {
            digits[count++] = LowerCase(text[i]);
        }
    }
    return MacText(std::string_view(digits.data(), digits.size()));
}

} // namespace

std::optional<MacText> SearchedMacText(std::string_view typed) noexcept {
    const std::string_view text = Trimmed(typed);
    for (const auto& [groupLength, separator] :
         {std::pair<std::size_t, char>{kDigits, '\0'}, {2, ':'}, {2, '-'}, {4, '.'}}) {
        if (std::optional<MacText> mac = DigitsInGroups(text, groupLength, separator)) {
            return mac;
        }
    }
    return std::nullopt;
}

} // namespace nodescout
