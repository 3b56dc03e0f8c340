#include "platform/process/InstanceLock.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace nodescout {

LockResult InstanceLock::Acquire(const std::string& lockFilePath) {
    UniqueFd fd(::open(lockFilePath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd.IsOpen()) {
        return LockResult::Unavailable;
    }
    int result = 0;
    do {
        result = ::flock(fd.Get(), LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        return errno == EWOULDBLOCK ? LockResult::HeldByAnother : LockResult::Unavailable;
    }
    m_fd = std::move(fd);
    return LockResult::Held;
}

} // namespace nodescout
