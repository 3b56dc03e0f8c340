#pragma once

// The settings the probe reads from the settings file on every probe. The
// program never writes them; a user adds them by hand.

namespace nodescout {

inline constexpr char kProfileSection[] = "Profile";
inline constexpr char kTimeOutMicrosecondsKey[] = "TimeOutMicroseconds";
inline constexpr int kDefaultTimeOutMicroseconds = 500;

} // namespace nodescout
