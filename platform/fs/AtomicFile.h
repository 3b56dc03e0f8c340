#pragma once

// Replacing a file's whole content so that readers, and the file after a
// crash or a full disk, see either the old content or the new, never a mix
// or a truncated file: the content goes to a new file beside the old one,
// which is flushed to disk and then renamed over it.

#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace nodescout {

// The path where a chain of symbolic links ends (the file a write must
// replace; the links stay links). Empty when the links form a loop or
// cannot be read.
std::optional<std::string> ResolveSymbolicLinks(const std::string& path);

// Replaces (or creates) the file at path with content. Symbolic links are
// followed. An existing file must be writable, as for fopen(path, "w"), and
// passes its permission bits and, where allowed, its owner on; a new file
// gets mode 0666 less the umask. On failure the old file stays as it was and
// no temporary file is left behind.
std::error_code ReplaceFileContent(const std::string& path, std::string_view content);

} // namespace nodescout
