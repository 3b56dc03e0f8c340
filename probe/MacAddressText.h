#pragma once

// The MAC address that "MAC => IP" looks for, as people write one: twelve
// hexadecimal digits, alone (001122334455), in six pairs joined by colons or
// by dashes (00:11:22:33:44:55, 00-11-22-33-44-55), or in three groups of
// four joined by dots (0011.2233.4455); digits in either case, blanks around
// it ignored. The probe reports a MAC address as twelve lower-case digits
// without separators, so that is the text searched for.

#include "platform/text/FixedText.h"

#include <optional>
#include <string_view>

namespace nodescout {

// The twelve lower-case digits that typed stands for, or nothing when it is
// none of the forms above (mixed separators, missing or extra digits...).
std::optional<MacText> SearchedMacText(std::string_view typed) noexcept;

} // namespace nodescout
