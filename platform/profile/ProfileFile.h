#pragma once

// Reading and replacing the settings file. A read takes the whole file in
// one open-read-close; a replacement writes the new bytes to a fresh file in
// the same folder, flushes it to disk and renames it over the old one, so a
// reader on another thread sees the old file or the new one, never a mix, and
// a failure at any step leaves the old file as it was.

#include <optional>
#include <string>
#include <sys/types.h>

namespace nodescout::profile {

enum class FileStatus {
    Read,    // the file was read
    Missing, // no file at the path
    Failed,  // there is something at the path, but no regular file that could be read
};

struct ProfileFile {
    FileStatus m_status = FileStatus::Missing;
    std::string m_strBytes;
    mode_t m_nMode = 0; // permission bits of a file that was read
    uid_t m_nOwner = 0;
    gid_t m_nGroup = 0;
};

ProfileFile ReadProfileFile(const std::string& path);

// The path a write must replace: where a chain of symbolic links ends (the
// link itself stays a link). Empty when the links form a loop or cannot be read.
std::optional<std::string> ResolveSymbolicLinks(const std::string& path);

// Replaces the file at path (a path that is no symbolic link) by bytes. A file
// that existed (old.m_status == Read) must be writable, and passes its
// permission bits and, where allowed, its owner on. Returns false, with the
// old file untouched and no temporary file left, when any step fails.
bool ReplaceProfileFile(const std::string& path, std::string_view bytes, const ProfileFile& old);

} // namespace nodescout::profile
