#pragma once

// Whether Nodescout's window has somewhere to go, decided before the Qt
// application exists: without a display, Qt would print its plugin messages
// and abort the process.

#include <string>
#include <string_view>

namespace nodescout {

// True when the window can be shown: QT_QPA_PLATFORM names a platform that
// needs no display server (offscreen, minimal, vnc, eglfs, linuxfb ...), or
// names xcb with DISPLAY set or wayland with WAYLAND_DISPLAY set; without
// QT_QPA_PLATFORM, when DISPLAY or WAYLAND_DISPLAY is set. Empty values
// count as unset. Several platforms may be given, separated by ';'; one
// that can start is enough.
bool HasDisplay(std::string_view display, std::string_view waylandDisplay,
                std::string_view qpaPlatform);

// The one line on standard error when there is no display.
inline constexpr const char* kNoDisplayMessage =
    "nodescout: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is "
    "set); run it in a desktop session, over ssh with \"ssh -X\", or try it in the demo "
    "network, scripts/demo.sh (see README.md)";

} // namespace nodescout
