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

inline constexpr char kParallelProbesKey[] = "ParallelProbes";
inline constexpr int kMostParallelProbes = 1024;

// How many probes a range walk keeps in flight, read from the settings file
// at path when a walk starts (probe/OverlappedWalk.h). A whole number from
// 0 to 1024 (decimal digits only, blanks around it ignored) is taken as it
// is; a larger whole number is taken as 1024; anything else (absent, empty,
// a sign, other characters, a value of 63 characters or more) is 1. 0 and
// 1 both mean one probe at a time.
int ReadParallelProbes(const char* path);

} // namespace nodescout
