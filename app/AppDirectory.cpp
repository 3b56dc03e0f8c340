#include "app/AppDirectory.h"

#include "platform/fs/FileDescriptor.h"
#include "platform/process/AppPaths.h"
#include "platform/process/ProcessPaths.h"

#include <unistd.h>

#include <filesystem>
#include <string_view>
#include <system_error>

namespace nodescout {
namespace {

constexpr std::string_view kIniFileName = "/Scout.ini";
// The longest name a file beside the settings gets ("/Default.txt" and the
// export files are shorter than this).
constexpr std::size_t kLongestFileName = 16;

// Folders of installed programs: never a place for a user's files, even
// when the user (root) could write there.
bool IsSystemFolder(const std::string& folder) {
    for (std::string_view root : {"/usr", "/bin", "/sbin", "/lib", "/lib64"}) {
        if (folder == root || folder.starts_with(std::string(root) + '/')) {
            return true;
        }
    }
    return false;
}

bool FitsPathBuffer(const std::string& folder) {
    return !folder.empty() && folder.size() + kLongestFileName < kPathSize;
}

std::string PerUserFolder(const AppDirectoryInputs& inputs) {
    const std::string dataFolder = UserDataFolder(inputs.xdgDataHome, inputs.home);
    return dataFolder.empty() ? std::string() : dataFolder + "/nodescout";
}

// Trying is the only sure test: root passes every permission check, but
// not a read-only file system.
bool CanCreateFileIn(const std::string& folder) {
    std::string probe = folder + "/.nodescout-XXXXXX";
    const UniqueFd fd(mkstemp(probe.data()));
    if (!fd.IsOpen()) {
        return false;
    }
    unlink(probe.c_str());
    return true;
}

} // namespace

std::string ChooseAppDirectory(const AppDirectoryInputs& inputs) {
    const std::size_t slash = inputs.executablePath.rfind('/');
    if (slash != std::string::npos) {
        const std::string beside = inputs.executablePath.substr(0, slash);
        if (FitsPathBuffer(beside) && !IsSystemFolder(beside) && inputs.canWriteIn(beside)) {
            return beside;
        }
    }
    const std::string perUser = PerUserFolder(inputs);
    if (!FitsPathBuffer(perUser)) {
        return {};
    }
    std::error_code ignored;
    std::filesystem::create_directories(perUser, ignored);
    return inputs.canWriteIn(perUser) ? perUser : std::string();
}

bool InitAppPaths() {
    const std::string folder =
        ChooseAppDirectory({ExecutablePath(), EnvironmentValue("XDG_DATA_HOME"),
                            EnvironmentValue("HOME"), CanCreateFileIn});
    if (folder.empty()) {
        return false;
    }
    g_szAppDir = folder;
    g_szIniPath = folder + std::string(kIniFileName);
    return true;
}

} // namespace nodescout
