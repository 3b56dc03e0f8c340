// Which environments count as a display for the window: the platform the
// user chose wins, but xcb and wayland still need their server's name.

#include "app/DisplayCheck.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

TEST(DisplayCheck, ADisplayNamedOrAPlatformWithoutServerCounts) {
    struct Case {
        const char* display;
        const char* wayland;
        const char* platform;
        bool expected;
    };
    const Case cases[] = {
        {"", "", "", false},
        {":0", "", "", true},
        {"", "wayland-0", "", true},
        {"", "", "offscreen", true},
        {"", "", "vnc:size=800x600", true},
        {"", "", "xcb", false},
        {":0", "", "xcb", true},
        {"", "", "wayland-egl", false},
        {"", "", "wayland;xcb", false},
        {":0", "", "wayland;xcb", true},
        {"", "", "wayland;offscreen", true},
        {"", "", ";", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HasDisplay(c.display, c.wayland, c.platform), c.expected)
            << "DISPLAY=" << c.display << " WAYLAND_DISPLAY=" << c.wayland
            << " QT_QPA_PLATFORM=" << c.platform;
    }
}

} // namespace
} // namespace nodescout
