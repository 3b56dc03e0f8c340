#include "tests/support/ProbeWaitSetting.h"

#include "platform/process/AppPaths.h"
#include "platform/profile/PrivateProfile.h"
#include "probe/ProbeSettings.h"

#include <string>

namespace nodescout::test {

ProbeWaitSetting::ProbeWaitSetting(int timeOutMicroseconds)
    : m_previousPath(g_szIniPath), m_timeOutMicroseconds(timeOutMicroseconds) {
    const std::string path = m_folder.Write(
        "Scout.ini", std::string("[") + kProfileSection + "]\n" + kTimeOutMicrosecondsKey + "=" +
                         std::to_string(timeOutMicroseconds) + "\n");
    g_szIniPath = path;
}

ProbeWaitSetting::~ProbeWaitSetting() {
    g_szIniPath = m_previousPath;
}

bool ProbeWaitSetting::TakesEffect() const {
    const int readBack = static_cast<int>(GetPrivateProfileInt(
        kProfileSection, kTimeOutMicrosecondsKey, m_timeOutMicroseconds + 1, g_szIniPath.c_str()));
    return readBack == m_timeOutMicroseconds;
}

} // namespace nodescout::test
