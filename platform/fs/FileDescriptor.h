#pragma once

// A file descriptor that closes itself.

#include <unistd.h>

namespace nodescout {

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

} // namespace nodescout
