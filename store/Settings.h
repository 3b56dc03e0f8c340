#pragma once

// The settings Nodescout keeps in its settings file (Scout.ini): the last
// address range and MAC text typed, the auto-scan interval, and the table of
// ranges that "Retr All" scans. Read once at start, written once at exit.

#include "platform/text/FixedText.h"

#include <array>

namespace nodescout {

inline constexpr int kMaxRanges = 100;
inline constexpr int kDefaultInterval = 10;

// The MAC address last searched for, as typed: room for the longest usual
// form, six pairs of digits joined by colons (17 characters), and the
// terminator.
inline constexpr std::size_t kTypedMacTextSize = 18;
using TypedMacText = FixedText<kTypedMacTextSize>;

struct IpRange {
    Text start;
    Text end;
};
using RangeTable = std::array<IpRange, kMaxRanges>;

// Section "Profile": IP1, IP2, Mac (a longer value is cut to 17
// characters), Interval (default 10; text without digits reads as 0).
struct ProfileSettings {
    Text ip1;
    Text ip2;
    TypedMacText mac;
    int interval = kDefaultInterval;
};

ProfileSettings LoadProfileSettings(const char* iniPath);
void SaveProfileSettings(const char* iniPath, const ProfileSettings& settings);

// Section "IPRange": Count, then IP<i>-1 and IP<i>-2 for i = 1 to Count.
// The table holds kMaxRanges entries: a larger Count reads that many, and a
// negative one reads none. Returns the number of ranges read.
int LoadRangeTable(const char* iniPath, RangeTable& ranges);
// Keys of ranges beyond count, left from a longer table, stay in the file.
void SaveRangeTable(const char* iniPath, const RangeTable& ranges, int count);

} // namespace nodescout
