#pragma once

// Replacing a file's whole content so that readers, and the file after a
// crash or a full disk, see either the old content or the new, never a mix
// or a truncated file: the content goes to a new file beside the old one,
// which is synced and then renamed over it.

#include <string>
#include <string_view>
#include <system_error>

namespace nodescout {

// Replaces (or creates) the file at path with content. A symbolic link is
// followed: the file it points to is replaced, the link stays. An existing
// file keeps its permission bits. On failure nothing changes and the
// temporary file is removed.
std::error_code ReplaceFileContent(const std::string& path, std::string_view content);

} // namespace nodescout
