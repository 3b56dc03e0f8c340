#pragma once

// The wait of a probe for its answer, from the TimeOutMicroseconds setting.

#include <sys/time.h>

namespace nodescout {

// Value div 1000 whole seconds plus value mod 1000 microseconds (2500 waits
// 2 s and 500 us). A negative value waits nothing.
timeval ProbeWait(int timeOutMicroseconds) noexcept;

} // namespace nodescout
