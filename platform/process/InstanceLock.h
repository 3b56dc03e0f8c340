#pragma once

// One running Nodescout per folder of files. The lock is an flock on a
// lock file in that folder: the kernel drops it when the holder ends, even
// when it is killed, so a lock of a dead process never blocks a start.

#include "platform/fs/FileDescriptor.h"

#include <string>

namespace nodescout {

enum class LockResult {
    Held,          // this process holds the folder until the lock object goes
    HeldByAnother, // another running process holds it
    Unavailable    // the lock file cannot be made (a read-only folder, say)
};

class InstanceLock {
public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Takes the lock on lockFilePath without waiting. The descriptor is
    // close-on-exec, so programs started from Nodescout do not keep it.
    LockResult Acquire(const std::string& lockFilePath);

private:
    UniqueFd m_fd;
};

} // namespace nodescout
