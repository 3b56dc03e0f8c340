#include "platform/profile/ProfileFile.h"

#include "platform/fs/FileDescriptor.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>

namespace nodescout::profile {
namespace {

constexpr std::size_t kReadChunk = 16 * 1024;

bool ReadAll(int fd, std::string& bytes) {
    char chunk[kReadChunk];
    for (;;) {
        const ssize_t count = ::read(fd, chunk, sizeof chunk);
        if (count > 0) {
            bytes.append(chunk, static_cast<std::size_t>(count));
        } else if (count == 0) {
            return true;
        } else if (errno != EINTR) {
            return false;
        }
    }
}

} // namespace

ProfileFile ReadProfileFile(const std::string& path) {
    ProfileFile file;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.IsOpen()) {
        file.status = errno == ENOENT ? FileStatus::Missing : FileStatus::Failed;
        return file;
    }
    struct stat status {};
    // Only a regular file: a folder, a pipe or a device (endless /dev/zero)
    // is no settings file.
    if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        !ReadAll(fd.Get(), file.bytes)) {
        file.status = FileStatus::Failed;
        file.bytes.clear();
        return file;
    }
    file.status = FileStatus::Read;
    return file;
}

} // namespace nodescout::profile
