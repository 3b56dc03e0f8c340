#include "platform/profile/ProfileFile.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace nodescout::profile {
namespace {

namespace fs = std::filesystem;

// Linux gives up after 40 links in a row; so do we.
constexpr int kMaxLinksFollowed = 40;
constexpr int kTemporaryNameAttempts = 100;
constexpr std::size_t kReadChunk = 16 * 1024;

// Closes the descriptor it owns when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) noexcept : m_nFd(fd) {}
    ~FileDescriptor() { Close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int Get() const noexcept { return m_nFd; }
    bool IsOpen() const noexcept { return m_nFd >= 0; }
    // Closes now; false when the close reports an error (for a file just
    // written, a late write error).
    bool Close() noexcept {
        const int fd = m_nFd;
        m_nFd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_nFd;
};

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
    static std::atomic<unsigned> s_nCounter{0};
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch().count();
    char suffix[64];
    std::snprintf(suffix, sizeof suffix, ".%d-%u-%llx.tmp", static_cast<int>(::getpid()),
                  s_nCounter.fetch_add(1), static_cast<unsigned long long>(ticks));
    return (FolderOf(target) / ("." + target.filename().string() + suffix)).string();
}

// Creates the temporary file beside target the way fopen creates a file
// (mode 0666 less the umask), so a new settings file gets the usual bits.
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
bool TakeOverOwnerAndMode(int fd, const ProfileFile& old) {
    if (old.m_status != FileStatus::Read) {
        return true;
    }
    if (old.m_nOwner != ::geteuid() || old.m_nGroup != ::getegid()) {
        [[maybe_unused]] const int ignored = ::fchown(fd, old.m_nOwner, old.m_nGroup);
    }
    return ::fchmod(fd, old.m_nMode) == 0;
}

// Makes the rename itself durable. The new file is in place already, so a
// failure here is not a failed write.
void SyncFolder(const fs::path& folder) {
    FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.IsOpen()) {
        ::fsync(directory.Get());
    }
}

} // namespace

ProfileFile ReadProfileFile(const std::string& path) {
    ProfileFile file;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (!fd.IsOpen()) {
        file.m_status = errno == ENOENT ? FileStatus::Missing : FileStatus::Failed;
        return file;
    }
    struct stat status {};
    // Only a regular file: a folder, a pipe or a device (endless /dev/zero)
    // is no settings file.
    if (::fstat(fd.Get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        !ReadAll(fd.Get(), file.m_strBytes)) {
        file.m_status = FileStatus::Failed;
        file.m_strBytes.clear();
        return file;
    }
    file.m_status = FileStatus::Read;
    file.m_nMode = status.st_mode & 07777;
    file.m_nOwner = status.st_uid;
    file.m_nGroup = status.st_gid;
    return file;
}

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

bool ReplaceProfileFile(const std::string& path, std::string_view bytes, const ProfileFile& old) {
    // The rename would replace even a file without write permission; a file
    // its owner made read-only stays as it is, as with fopen(path, "w").
    if (old.m_status == FileStatus::Read &&
        ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return false;
    }
    const fs::path target(path);
    std::string temporary;
    FileDescriptor fd(CreateTemporaryFile(target, temporary));
    if (!fd.IsOpen()) {
        return false;
    }
    bool written =
        TakeOverOwnerAndMode(fd.Get(), old) && WriteAll(fd.Get(), bytes) && ::fsync(fd.Get()) == 0;
    written = fd.Close() && written;
    if (!written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolder(FolderOf(target));
    return true;
}

} // namespace nodescout::profile
