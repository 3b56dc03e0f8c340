#include "platform/process/ExitSignalPipe.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace nodescout {

namespace {

constexpr std::array kExitSignals = {SIGTERM, SIGHUP, SIGINT};

int g_wakeRead = -1;
int g_wakeWrite = -1;

// Async-signal-safe: write keeps errno as the interrupted code left it.
extern "C" void WakeOnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wakeWrite, &byte, 1);
    errno = savedErrno;
}

} // namespace

int CatchExitSignals() noexcept {
    if (g_wakeRead >= 0) {
        return g_wakeRead;
    }
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        return -1;
    }
    g_wakeRead = fds[0];
    g_wakeWrite = fds[1];
    struct sigaction action {};
    action.sa_handler = WakeOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kExitSignals) {
        ::sigaction(signal, &action, nullptr);
    }
    return g_wakeRead;
}

void DrainExitSignals() noexcept {
    char bytes[64];
    while (g_wakeRead >= 0 && ::read(g_wakeRead, bytes, sizeof bytes) > 0) {
    }
}

} // namespace nodescout
