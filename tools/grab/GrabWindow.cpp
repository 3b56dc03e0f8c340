// Saves what an X display shows as a PNG file: one window, given by its X
// window id (as xdotool prints it), or the whole screen. The scripts and the
// end-to-end test use it to show what the real program drew.
//
//   nodescout_grab OUTPUT.png [WINDOW_ID]
//
// It talks to the display of DISPLAY, whatever QT_QPA_PLATFORM says.

#include <QGuiApplication>
#include <QPixmap>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace nodescout {
namespace {

constexpr int kUsageError = 2;
constexpr int kGrabError = 1;

bool ReadWindowId(const char* text, WId& window) {
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 0);
    if (end == text || *end != '\0') {
        return false;
    }
    window = static_cast<WId>(value);
    return true;
}

int GrabToFile(const char* outputPath, WId window) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        std::fprintf(stderr, "nodescout_grab: the display has no screen\n");
        return kGrabError;
    }
    const QPixmap image = screen->grabWindow(window);
    if (image.isNull() || !image.save(QString::fromLocal8Bit(outputPath), "PNG")) {
        std::fprintf(stderr, "nodescout_grab: could not grab window %llu into %s\n",
                     static_cast<unsigned long long>(window), outputPath);
        return kGrabError;
    }
    return 0;
}

} // namespace
} // namespace nodescout

int main(int argc, char* argv[]) {
    WId window = 0; // 0: the whole screen
    if (argc < 2 || argc > 3 || (argc == 3 && !nodescout::ReadWindowId(argv[2], window))) {
        std::fprintf(stderr, "usage: nodescout_grab OUTPUT.png [WINDOW_ID]\n");
        return nodescout::kUsageError;
    }
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication application(argc, argv);
    return nodescout::GrabToFile(argv[1], window);
}
