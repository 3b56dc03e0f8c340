#pragma once

// Reading the settings file: the whole file in one open-read-close. Writes
// go through ReplaceFileContent (platform/fs/AtomicFile.h), so a reader on
// another thread sees the old file or the new one, never a mix.

#include <string>

namespace nodescout::profile {

enum class FileStatus {
    Read,    // the file was read
    Missing, // no file at the path
    Failed,  // there is something at the path, but no regular file that could be read
};

struct ProfileFile {
    FileStatus status = FileStatus::Missing;
    std::string bytes;
};

ProfileFile ReadProfileFile(const std::string& path);

} // namespace nodescout::profile
