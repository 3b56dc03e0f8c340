#include "store/Settings.h"

#include "platform/profile/PrivateProfile.h"

#include <algorithm>
#include <cstdio>

namespace nodescout {
namespace {

constexpr char kProfile[] = "Profile";
constexpr char kIpRange[] = "IPRange";

template <std::size_t N>
void ReadText(const char* section, const char* key, FixedText<N>& text, const char* iniPath) {
    GetPrivateProfileString(section, key, "", text.Buffer(), static_cast<std::uint32_t>(N),
                            iniPath);
}

int ReadInt(const char* section, const char* key, int defaultValue, const char* iniPath) {
    return static_cast<int>(GetPrivateProfileInt(section, key, defaultValue, iniPath));
}

void WriteInt(const char* section, const char* key, int value, const char* iniPath) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", value);
    WritePrivateProfileString(section, key, text, iniPath);
}

// "IP3-1" is the start of the third range, "IP3-2" its end.
void RangeKey(char (&key)[32], int rangeNumber, int part) {
    std::snprintf(key, sizeof key, "IP%d-%d", rangeNumber, part);
}

} // namespace

ProfileSettings LoadProfileSettings(const char* iniPath) {
    ProfileSettings settings;
    ReadText(kProfile, "IP1", settings.ip1, iniPath);
    ReadText(kProfile, "IP2", settings.ip2, iniPath);
    ReadText(kProfile, "Mac", settings.mac, iniPath);
    settings.interval = ReadInt(kProfile, "Interval", kDefaultInterval, iniPath);
    return settings;
}

void SaveProfileSettings(const char* iniPath, const ProfileSettings& settings) {
    WritePrivateProfileString(kProfile, "IP1", settings.ip1.c_str(), iniPath);
    WritePrivateProfileString(kProfile, "IP2", settings.ip2.c_str(), iniPath);
    // Written as "MAC"; lookups ignore case, so it is the same key as "Mac".
    WritePrivateProfileString(kProfile, "MAC", settings.mac.c_str(), iniPath);
    WriteInt(kProfile, "Interval", settings.interval, iniPath);
}

int LoadRangeTable(const char* iniPath, RangeTable& ranges) {
    const int count = std::clamp(ReadInt(kIpRange, "Count", 0, iniPath), 0, kMaxRanges);
    for (int i = 1; i <= count; ++i) {
        char key[32];
        IpRange& range = ranges[static_cast<std::size_t>(i - 1)];
        RangeKey(key, i, 1);
        ReadText(kIpRange, key, range.start, iniPath);
        RangeKey(key, i, 2);
        ReadText(kIpRange, key, range.end, iniPath);
    }
    return count;
}

void SaveRangeTable(const char* iniPath, const RangeTable& ranges, int count) {
    count = std::clamp(count, 0, kMaxRanges);
    WriteInt(kIpRange, "Count", count, iniPath);
    for (int i = 1; i <= count; ++i) {
        char key[32];
        const IpRange& range = ranges[static_cast<std::size_t>(i - 1)];
        RangeKey(key, i, 1);
        WritePrivateProfileString(kIpRange, key, range.start.c_str(), iniPath);
        RangeKey(key, i, 2);
        WritePrivateProfileString(kIpRange, key, range.end.c_str(), iniPath);
    }
}

} // namespace nodescout
