#include "platform/fs/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <filesystem>
#include <string>

namespace nodescout {
namespace {

std::error_code LastError() {
    return std::error_code(errno, std::system_category());
}

// The file a path finally names, following symbolic links (also a link to a
// file that does not exist yet).
std::string FinalTarget(const std::string& path) {
    std::error_code error;
    std::filesystem::path target = path;
    for (int hops = 0; hops < 40 && std::filesystem::is_symlink(target, error); ++hops) {
        const std::filesystem::path next = std::filesystem::read_symlink(target, error);
        if (error) {
            break;
        }
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
    return target.string();
}

std::error_code WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return LastError();
        }
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

// Creates a new file beside target, with the permissions a new file gets
// (the process's umask applies). Returns its descriptor, or -1.
int CreateTemporaryBeside(const std::string& target, std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = target + ".tmp-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
        const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

} // namespace

std::error_code ReplaceFileContent(const std::string& path, std::string_view content) {
    const std::string target = FinalTarget(path);
    std::string temporary;
    const int fd = CreateTemporaryBeside(target, temporary);
    if (fd < 0) {
        return LastError();
    }
    std::error_code error = WriteAll(fd, content);
    struct stat old {};
    if (!error && stat(target.c_str(), &old) == 0 && fchmod(fd, old.st_mode & 07777) != 0) {
        error = LastError();
    }
    if (!error && fsync(fd) != 0) {
        error = LastError();
    }
    if (close(fd) != 0 && !error) {
        error = LastError();
    }
    if (!error && rename(temporary.c_str(), target.c_str()) != 0) {
        error = LastError();
    }
    if (error) {
        unlink(temporary.c_str());
    }
    return error;
}

} // namespace nodescout
