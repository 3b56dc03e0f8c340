#include "framework/ExitSignals.h"

#include "framework/WinApp.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QSessionManager>
#include <QSocketNotifier>

#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace nodescout {

namespace {

constexpr std::array kExitSignals = {SIGTERM, SIGHUP, SIGINT};

int g_wakeRead = -1;
int g_wakeWrite = -1;

// Async-signal-safe: one byte into a non-blocking pipe. A full pipe means
// a wake-up is pending already.
extern "C" void WakeOnSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_wakeWrite, &byte, 1);
    errno = savedErrno;
}

bool CatchSignals() {
    if (g_wakeRead >= 0) {
        return true;
    }
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) != 0) {
        return false;
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
    return true;
}

// Lives on the UI thread with the Qt application: the pipe's notifier, the
// session's signals and the filter that takes the session's Quit event.
class ExitRequests : public QObject {
public:
    std::function<void()> onExit;
    std::function<void()> onCommit;

    ExitRequests() : QObject(QCoreApplication::instance()) {
        if (g_wakeRead >= 0) {
            m_pNotifier = std::make_unique<QSocketNotifier>(g_wakeRead, QSocketNotifier::Read);
            QObject::connect(m_pNotifier.get(), &QSocketNotifier::activated, this,
                             [this] { OnSignal(); });
        }
        if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QObject::connect(gui, &QGuiApplication::commitDataRequest, this,
                             [this](QSessionManager&) { Commit(); });
            QObject::connect(gui, &QCoreApplication::aboutToQuit, this, [this] { Exit(); });
        }
        QCoreApplication::instance()->installEventFilter(this);
    }

    void Exit() {
        if (m_bExited) {
            return;
        }
        m_bExited = true;
        if (const auto handler = onExit) {
            handler();
        }
    }

protected:
    // The session's "die" comes as a Quit event to the application, and Qt
    // would try to close every window, which asks "Are you sure to exit?".
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit) {
            Exit();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::unique_ptr<QSocketNotifier> m_pNotifier;
    bool m_bExited = false;

    void OnSignal() {
        char bytes[64];
        while (::read(g_wakeRead, bytes, sizeof bytes) > 0) {
        }
        Exit();
    }

    void Commit() {
        if (const auto handler = onCommit) {
            handler();
        }
    }
};

ExitRequests* g_pRequests = nullptr;

} // namespace

void AfxInstallExitHandlers(std::function<void()> onExit, std::function<void()> onCommit) {
    AfxEnsureUi();
    CatchSignals();
    if (!g_pRequests) {
        g_pRequests = new ExitRequests; // owned by the Qt application
        QObject::connect(g_pRequests, &QObject::destroyed, [] { g_pRequests = nullptr; });
    }
    g_pRequests->onExit = std::move(onExit);
    g_pRequests->onCommit = std::move(onCommit);
}

void AfxRemoveExitHandlers() {
    if (g_pRequests) {
        g_pRequests->onExit = nullptr;
        g_pRequests->onCommit = nullptr;
    }
}

// Ending the application's event processing ends every event loop of the
// UI thread, the nested ones of modal runs included, and keeps new ones from
// starting; that is the way out Qt offers when there is no exec of its own.
void AfxEndAllModalRuns() {
    QCoreApplication::exit(0);
}

} // namespace nodescout
