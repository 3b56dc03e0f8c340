#pragma once

// The three edits a write makes to the settings file, computed as the file's
// new bytes. Every line an edit does not touch keeps its bytes, its line end
// included; new lines are "Key=Value" ended by CR LF.

#include "platform/profile/ProfileDocument.h"

#include <optional>
#include <string>
#include <string_view>

namespace nodescout::profile {

// Sets key in section (both trimmed, the section non-empty; an empty key
// is the name of a line "=value") to value. An existing key
// keeps its line, its spelling and everything up to its '='; only the text
// after the '=' changes. A new key goes right after the section's last line
// that is not blank (blank lines that separate it from the next section stay
// after it). A new section is appended at the end of the file.
std::string SetValue(const ProfileDocument& document, std::string_view section,
                     std::string_view key, std::string_view value);

// Removes the lines of key in the first section of that name, so that a read
// afterwards finds nothing. Empty when there is nothing to remove.
std::optional<std::string> DeleteKey(const ProfileDocument& document, std::string_view section,
                                     std::string_view key);

// Removes every section of that name: its header and all its lines up to the
// next header. Empty when there is nothing to remove.
std::optional<std::string> DeleteSection(const ProfileDocument& document, std::string_view section);

} // namespace nodescout::profile
