#pragma once

// The profile functions hand out single-byte text in the Windows-1252 code
// page. A settings file that starts with a UTF-8 byte-order mark holds UTF-8
// instead, so names and values are converted on the way in and out.

#include <string>
#include <string_view>

namespace nodescout::profile {

// UTF-8 as Windows-1252; a character the code page lacks, or a malformed
// sequence, becomes '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

// Windows-1252 as UTF-8; every byte has a character, so nothing is lost.
std::string Windows1252ToUtf8(std::string_view text);

} // namespace nodescout::profile
