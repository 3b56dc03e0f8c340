#pragma once

// The small text rules of the settings file: which characters are blanks,
// how values are unquoted, how names compare and how integers are read.

#include <cstdint>
#include <string_view>

namespace nodescout::profile {

// Blanks are trimmed around names and values: space, tab, vertical tab and
// form feed (line ends never reach a line's text).
bool IsBlank(char character) noexcept;
std::string_view TrimBlanks(std::string_view text) noexcept;

// A value wrapped in double quotes loses the outer pair; inner quotes and a
// lone quote at one end stay.
std::string_view StripQuotes(std::string_view text) noexcept;

// A trimmed, unquoted value: what a read hands out for the text after '='
// and for a default.
std::string_view CleanValue(std::string_view text) noexcept;

// Section and key names compare without regard to case, folding ASCII
// letters only (a byte above 0x7F matches only itself).
bool EqualsIgnoringCase(std::string_view left, std::string_view right) noexcept;

// A value read as an integer: an optional sign, then decimal digits, or
// hexadecimal digits after "0x", or binary digits after "0b"; reading stops
// at the first other character, no digits give 0, and the result wraps
// modulo 2^32 ("4294967297" gives 1, "-1" gives 4294967295).
std::uint32_t ParseProfileInt(std::string_view value) noexcept;

} // namespace nodescout::profile
