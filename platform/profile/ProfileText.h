#pragma once

// The small text rules of the settings file: which characters are blanks,
// how values and defaults are unquoted, how names compare and how integers
// are read.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace nodescout::profile {

// Blanks are trimmed around names and values: space, tab, vertical tab and
// form feed (line ends never reach a line's text).
bool IsBlank(char character) noexcept;
std::string_view TrimBlanks(std::string_view text) noexcept;

// A value wrapped in a pair of the same quote, double (") or single ('),
// loses that pair; inner quotes, a lone quote at one end and two different
// quotes at the ends stay.
std::string_view StripQuotes(std::string_view text) noexcept;

// A trimmed, unquoted value: what a read hands out for the text after '='.
std::string_view CleanValue(std::string_view text) noexcept;

// A default as a read hands it out: trailing spaces cut off (tabs and
// blanks at the start stay), then unquoted like a value.
std::string_view CleanDefault(std::string_view text) noexcept;

// Section and key names compare without regard to case, folding ASCII
// letters only (a byte above 0x7F matches only itself).
bool EqualsIgnoringCase(std::string_view left, std::string_view right) noexcept;

// A value read as an integer. Only its first kIntegerTextLength characters
// count. Control characters and spaces at the start are skipped, then come
// an optional sign, an optional base prefix in lower case ("0x" hexadecimal,
// "0o" octal, "0b" binary; "0X" is the digit 0 followed by a stop) and the
// digits, of either case; reading stops at the first character that is no
// digit of the base, no digits give 0, and the result wraps modulo 2^32
// ("4294967297" gives 1, "-1" gives 4294967295).
inline constexpr std::size_t kIntegerTextLength = 29;
std::uint32_t ParseProfileInt(std::string_view value) noexcept;

} // namespace nodescout::profile
