#include "platform/process/ProcessPaths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace nodescout {

std::string ExecutablePath() {
    std::error_code error;
    const std::filesystem::path path = std::filesystem::canonical("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string UserDataFolder(const std::string& xdgDataHome, const std::string& home) {
    if (!xdgDataHome.empty() && xdgDataHome.front() == '/') {
        return xdgDataHome;
    }
    if (!home.empty()) {
        return home + "/.local/share";
    }
    return {};
}

std::string UserDataFolder() {
    return UserDataFolder(EnvironmentValue("XDG_DATA_HOME"), EnvironmentValue("HOME"));
}

std::string EnvironmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace nodescout
