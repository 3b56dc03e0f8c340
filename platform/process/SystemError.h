#pragma once

// The one way Nodescout turns an errno value into a std::error_code: the
// value in std::system_category, so that message() gives strerror's text.

#include <cerrno>
#include <system_error>

namespace nodescout {

inline std::error_code ErrorFromErrno(int error) noexcept {
    return std::error_code(error, std::system_category());
}

// errno as it stands, right after the call that failed.
inline std::error_code LastSystemError() noexcept {
    return ErrorFromErrno(errno);
}

} // namespace nodescout
