#include "framework/ExitSignals.h"

#include "framework/WinApp.h"
#include "platform/process/ExitSignalPipe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QObject>
#include <QSessionManager>
#include <QSocketNotifier>

namespace nodescout {

namespace {

// Lives on the UI thread with the Qt application: the pipe's notifier, the
// session's signals and the filter that takes the session's Quit event.
class ExitRequests : public QObject {
public:
    std::function<void()> onExit;
    std::function<void()> onCommit;

    ExitRequests() : QObject(QCoreApplication::instance()) {
        if (const int wakeFd = CatchExitSignals(); wakeFd >= 0) {
            auto* notifier = new QSocketNotifier(wakeFd, QSocketNotifier::Read, this);
            QObject::connect(notifier, &QSocketNotifier::activated, this, [this] {
                DrainExitSignals();
                Exit();
            });
        }
        if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            QObject::connect(gui, &QGuiApplication::commitDataRequest, this,
                             [this](QSessionManager&) {
                                 if (const auto handler = onCommit) {
                                     handler();
                                 }
                             });
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
    bool m_bExited = false;
};

ExitRequests* g_pRequests = nullptr;

} // namespace

void AfxInstallExitHandlers(std::function<void()> onExit, std::function<void()> onCommit) {
    AfxEnsureUi();
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
