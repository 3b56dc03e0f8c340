#pragma once

// The settings the probe reads from the settings file on every probe. The
// program never writes them; a user adds them by hand.

#include <sys/time.h>

namespace nodescout {

inline constexpr char kProfileSection[] = "Profile";
inline constexpr char kTimeOutMicrosecondsKey[] = "TimeOutMicroseconds";
inline constexpr int kDefaultTimeOutMicroseconds = 500;
inline constexpr char kTimeOutMillisecondsKey[] = "TimeOutMilliseconds";
inline constexpr int kLongestTimeOutMilliseconds = 60000;

// The wait for a node-status answer, read from the settings file at path.
// When TimeOutMilliseconds is a whole number from 0 to 60000 (decimal
// digits only; the blanks around a value do not count), the wait is that
// many milliseconds and TimeOutMicroseconds is not read. Otherwise (absent,
// empty, a sign, anything but digits, or beyond 60000) it is ignored, and
// the wait is ProbeWait of TimeOutMicroseconds (default 500), as without it.
timeval ReadProbeWait(const char* path);

} // namespace nodescout
