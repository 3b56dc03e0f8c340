#include "platform/shell/Registry.h"

#include "platform/shell/Shell.h"

namespace nodescout {
namespace {

// The MIME type the desktop files web pages under.
constexpr const char* kWebPageType = "text/html";

} // namespace

std::int32_t ReadKeyDefault(HKEY root, std::string_view subKey, std::string& value) {
    if (root != HKEY_CLASSES_ROOT) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (subKey == ".htm") {
        return QueryDefaultApplication(kWebPageType, value) ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    }
    if (subKey.size() > kOpenCommandKey.size() && subKey.ends_with(kOpenCommandKey)) {
        const std::string desktopId(subKey.substr(0, subKey.size() - kOpenCommandKey.size()));
        return ReadDesktopEntryCommand(desktopId, value) ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;
    }
    return ERROR_FILE_NOT_FOUND;
}

} // namespace nodescout
