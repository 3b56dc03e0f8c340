#include "platform/profile/PrivateProfile.h"

#include "platform/text/FixedText.h"

namespace nodescout {

std::uint32_t GetPrivateProfileString(const char*, const char*, const char* defaultValue,
                                      char* buffer, std::uint32_t size, const char*) {
    return static_cast<std::uint32_t>(CopyText(buffer, size, defaultValue ? defaultValue : ""));
}

std::uint32_t GetPrivateProfileInt(const char*, const char*, int defaultValue, const char*) {
    return static_cast<std::uint32_t>(defaultValue);
}

bool WritePrivateProfileString(const char*, const char*, const char*, const char*) {
    return false;
}

} // namespace nodescout
