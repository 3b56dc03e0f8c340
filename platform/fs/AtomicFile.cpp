#include "platform/fs/AtomicFile.h"

#include "platform/fs/FileDescriptor.h"
#include "platform/process/SystemError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace nodescout {
namespace {

namespace fs = std::filesystem;

// Linux gives up after 40 links in a row; so do we.
constexpr int kMaxLinksFollowed = 40;
constexpr int kTemporaryNameAttempts = 100;

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count > 0) {
            bytes.remove_prefix(static_cast<std::size_t>(count));
        } else if (count < 0 && errno != EINTR) {
            return false;
        }
    }
    return true;
}

fs::path FolderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// A name no other writer uses at the same time: process, a counter and the clock.
std::string TemporaryName(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%d-%u-%llx.tmp", static_cast<int>(::getpid()),
                  counter.fetch_add(1), static_cast<unsigned long long>(ticks));
    return (FolderOf(target) / ("." + target.filename().string() + suffix)).string();
}

// Creates the temporary file beside target the way fopen creates a file
// (mode 0666 less the umask), so a new file gets the usual bits.
int CreateTemporaryFile(const fs::path& target, std::string& name) {
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
        name = TemporaryName(target);
        const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// Owner first: changing the owner may clear set-id bits, which the mode
// then restores. Giving a file away is not allowed to everyone; then the
// file belongs to the writer, as with any editor's save.
bool TakeOverOwnerAndMode(int fd, const struct stat& old) {
    if (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(fd, old.st_uid, old.st_gid);
    }
    return ::fchmod(fd, old.st_mode & 07777) == 0;
}

// Makes the rename itself durable. The new file is in place already, so a
// failure here is not a failed write.
void SyncFolder(const fs::path& folder) {
    UniqueFd directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.IsOpen()) {
        ::fsync(directory.Get());
    }
}

} // namespace

std::optional<std::string> ResolveSymbolicLinks(const std::string& path) {
    fs::path current(path);
    for (int followed = 0; followed <= kMaxLinksFollowed; ++followed) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current.string();
        }
        std::error_code error;
        const fs::path target = fs::read_symlink(current, error);
        if (error) {
            return std::nullopt;
        }
        current = target.is_absolute() ? target : current.parent_path() / target;
    }
    return std::nullopt;
}

std::error_code ReplaceFileContent(const std::string& path, std::string_view content) {
    const std::optional<std::string> resolved = ResolveSymbolicLinks(path);
    if (!resolved) {
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    }
    const fs::path target(*resolved);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // The rename would replace even a file without write permission; a file
    // its owner made read-only stays as it is, as with fopen(path, "w").
    if (existed && ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        return LastSystemError();
    }
    std::string temporary;
    UniqueFd fd(CreateTemporaryFile(target, temporary));
    if (!fd.IsOpen()) {
        return LastSystemError();
    }
    bool written = (!existed || TakeOverOwnerAndMode(fd.Get(), old)) &&
                   WriteAll(fd.Get(), content) && ::fsync(fd.Get()) == 0;
    std::error_code error = written ? std::error_code() : LastSystemError();
    if (!fd.Close() && !error) {
        error = LastSystemError();
    }
    if (!error && ::rename(temporary.c_str(), target.c_str()) != 0) {
        error = LastSystemError();
    }
    if (error) {
        ::unlink(temporary.c_str());
        return error;
    }
    SyncFolder(FolderOf(target));
    return {};
}

} // namespace nodescout
