#include "app/DisplayCheck.h"

namespace nodescout {

namespace {

bool PlatformCanStart(std::string_view platform, std::string_view display,
                      std::string_view waylandDisplay) {
    // "vnc:size=800x600": the options after the colon do not matter here.
    const std::string_view name = platform.substr(0, platform.find(':'));
    if (name == "xcb") {
        return !display.empty();
    }
    if (name.starts_with("wayland")) {
        return !waylandDisplay.empty();
    }
    return !name.empty();
}

} // namespace

bool HasDisplay(std::string_view display, std::string_view waylandDisplay,
                std::string_view qpaPlatform) {
    if (qpaPlatform.empty()) {
        return !display.empty() || !waylandDisplay.empty();
    }
    while (!qpaPlatform.empty()) {
        const std::size_t end = qpaPlatform.find(';');
        if (PlatformCanStart(qpaPlatform.substr(0, end), display, waylandDisplay)) {
            return true;
        }
        qpaPlatform =
            end == std::string_view::npos ? std::string_view() : qpaPlatform.substr(end + 1);
    }
    return false;
}

} // namespace nodescout
