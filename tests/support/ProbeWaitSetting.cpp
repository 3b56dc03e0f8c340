#include "tests/support/ProbeWaitSetting.h"

#include "platform/process/AppPaths.h"
#include "probe/ProbeSettings.h"

#include <string>

namespace nodescout::test {

ProbeWaitSetting::ProbeWaitSetting(int timeOutMicroseconds)
    : ProbeWaitSetting(std::string(kTimeOutMicrosecondsKey) + "=" +
                       std::to_string(timeOutMicroseconds) + "\n") {}

ProbeWaitSetting::ProbeWaitSetting(const std::string& profileLines) : m_previousPath(g_szIniPath) {
    const std::string path =
        m_folder.Write("Scout.ini", std::string("[") + kProfileSection + "]\n" + profileLines);
    g_szIniPath = path;
}

ProbeWaitSetting::~ProbeWaitSetting() {
    g_szIniPath = m_previousPath;
}

} // namespace nodescout::test
