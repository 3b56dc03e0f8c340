#include "tests/support/ProbeWaitSetting.h"

#include "platform/process/AppPaths.h"
#include "probe/ProbeSettings.h"

#include <string>

namespace nodescout::test {

ProbeWaitSetting::ProbeWaitSetting(int timeOutMicroseconds) : m_previousPath(g_szIniPath) {
    const std::string path = m_folder.Write(
        "Scout.ini", std::string("[") + kProfileSection + "]\n" + kTimeOutMicrosecondsKey + "=" +
                         std::to_string(timeOutMicroseconds) + "\n");
    g_szIniPath = path;
}

ProbeWaitSetting::~ProbeWaitSetting() {
    g_szIniPath = m_previousPath;
}

} // namespace nodescout::test
