// The main window's walking workers are stopped at once and for good:
// unchecking "Auto Scan" in the middle of a pass and in the middle of its
// pause, a new auto-scan started right after, and the window closing while
// "Retr All", "MAC => IP" and the auto-scan all run, also while real probes
// wait seconds for an answer. Nothing may come from a worker after its stop
// returned. The windows stay hidden: Qt paints
// with helper threads that ThreadSanitizer cannot follow.

#include "platform/net/Inet.h"
#include "platform/net/UdpSocket.h"
#include "probe/ProbeHost.h"
#include "tests/support/ScriptedNetwork.h"
#include "tests/support/UiTest.h"
#include "tests/support/Watchdog.h"
#include "ui/NodescoutDlg.h"
#include "ui/Resources.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>

namespace nodescout::ui_test {
namespace {

using test::ScriptedNetwork;
using test::Watchdog;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A real probe of a silent address waits 500 us; this keeps the walks busy
// without making the test slow.
constexpr auto kProbeTime = 100us;
constexpr auto kStopLimit = 100ms;

// UI thread: serves the workers' calls until done() or the timeout.
bool ServeUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout = 5s) {
    const auto deadline = Clock::now() + timeout;
    WaitServingUi([&] { return done() || Clock::now() > deadline; });
    return done();
}

void Serve(std::chrono::milliseconds duration) {
    ServeUntil([] { return false; }, duration);
}

std::string NthAddress(const char* start, std::uint32_t n) {
    return AddressText(htonl(ntohl(inet_addr(start)) + n));
}

// The next dialog is answered hidden, with its fields filled first.
void QueueHidden(int nCommand, std::function<void(CDialog&)> fill) {
    UiTestSeam::QueueModalAnswer(nCommand, [fill = std::move(fill)](CDialog& dialog) {
        dialog.GetQtWidget()->hide();
        fill(dialog);
    });
}

// What the window shows; nothing of it may change after a stop returned.
struct Trace {
    std::size_t probes = 0;
    int rows = 0;
    int position = 0;
    bool operator==(const Trace&) const = default;
};

class ScanStopTest : public testing::Test {
protected:
    void SetUp() override {
        AfxAddResources(NodescoutResources());
        UiTestSeam::Reset();
        m_network.AnswerEverywhere();
        m_network.SetProbeTime(kProbeTime);
        m_network.SetOnProbe([] { WakeUiWait(); });
    }
    void TearDown() override {
        EXPECT_EQ(UiTestSeam::UnansweredCount(), 0);
        UiTestSeam::Reset();
        AfxRemoveResources(NodescoutResources());
    }

    // Runs a main window, hidden, with body while it is open; then it closes.
    void RunHidden(CNodescoutDlg& dlg, const std::function<void()>& body) {
        dlg.SetProbeFunction(m_network.Probe());
        QueueHidden(IDOK, [&](CDialog&) { body(); });
        dlg.DoModal();
    }

    Trace TraceOf(const CNodescoutDlg& dlg) const {
        return {m_network.ProbeCount(), ListOf(dlg).GetItemCount(),
                static_cast<int>(ProgressOf(dlg).SendMessage(PBM_GETPOS, 0, 0))};
    }

    static void StartAutoScan(CNodescoutDlg& dlg, std::string ip1, std::string ip2,
                              const char* interval) {
        QueueHidden(IDOK, [=](CDialog& options) {
            options.SetDlgItemText(IDC_IP1, ip1);
            options.SetDlgItemText(IDC_IP2, ip2);
            options.SetDlgItemText(IDC_INTERVAL, interval);
        });
        ButtonOf(dlg, IDC_AUTO_SCAN).Click();
        ASSERT_EQ(ButtonOf(dlg, IDC_AUTO_SCAN).GetCheck(), BST_CHECKED);
    }

    ScriptedNetwork m_network;
};

TEST_F(ScanStopTest, UncheckingAutoScanStopsItAtOnceMidPassAndMidPauseAndANewOneStartsRightAway) {
    // Enough repetitions to meet a stop at many points of a pass; on a slow
    // machine (or under a sanitizer) it ends after the minimum.
    constexpr int kMinimumRepetitions = 16;
    constexpr int kRepetitions = 150;
    constexpr auto kTimeBudget = 5s;
    const auto started = Clock::now();
    Clock::duration longestStop{};
    int repetition = 0;
    CNodescoutDlg dlg;
    RunHidden(dlg, [&] {
        for (; repetition < kRepetitions; ++repetition) {
            if (repetition >= kMinimumRepetitions && Clock::now() - started > kTimeBudget) {
                break;
            }
            Watchdog watchdog(10s, "an auto-scan stop");
            SCOPED_TRACE("repetition " + std::to_string(repetition));
            const std::size_t before = m_network.ProbeCount();
            const bool midPause = repetition % 2 == 1;
            // Mid-pass: 1024 addresses, new ones each time (so every probe
            // adds a row), stopped after 1 to 10 probes. Mid-pause: a pass
            // of three addresses, then ten seconds of pause.
            const std::string start = NthAddress("198.18.0.0", 64 * repetition);
            const std::string end =
                midPause ? NthAddress(start.c_str(), 3) : NthAddress(start.c_str(), 1024);
            StartAutoScan(dlg, start, end, "10");
            const std::size_t wanted = midPause ? 3 : 1 + repetition % 10;
            ASSERT_TRUE(ServeUntil([&] { return m_network.ProbeCount() >= before + wanted; }));
            if (midPause) {
                Serve(20ms); // the pass ends; the pause begins
            }
            EXPECT_EQ(m_network.Probed()[before], start) << "a new worker walks from the start";

            const auto stopStarted = Clock::now();
            ButtonOf(dlg, IDC_AUTO_SCAN).Click();
            const auto stop = Clock::now() - stopStarted;
            longestStop = std::max(longestStop, stop);
            EXPECT_LT(stop, kStopLimit);
            EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);

            const Trace atStop = TraceOf(dlg);
            if (midPause) {
                EXPECT_EQ(atStop.probes, before + 3) << "stopped in the pause";
            }
            Serve(5ms);
            EXPECT_EQ(TraceOf(dlg), atStop) << "nothing after the stop";
        }
    });
    std::printf("%d auto-scan stops, the longest %.2f ms\n", repetition,
                std::chrono::duration<double, std::milli>(longestStop).count());
}

TEST_F(ScanStopTest, ClosingTheWindowStopsAndJoinsEveryWalkingWorkerFirst) {
    constexpr int kRepetitions = 20;
    for (int repetition = 0; repetition < kRepetitions; ++repetition) {
        Watchdog watchdog(20s, "closing the window with its workers");
        SCOPED_TRACE("repetition " + std::to_string(repetition));
        CNodescoutDlg dlg;
        Clock::time_point closing;
        const auto before = static_cast<std::ptrdiff_t>(m_network.ProbeCount());
        const std::size_t boxesBefore = UiTestSeam::MessageBoxes().size();
        RunHidden(dlg, [&] {
            // "Retr All" over one range of 8192 addresses.
            QueueHidden(IDOK, [](CDialog& range) {
                range.SetDlgItemText(IDC_IP1, "198.18.0.0");
                range.SetDlgItemText(IDC_IP2, "198.18.32.0");
                ButtonOf(range, IDC_ADD).Click();
            });
            ButtonOf(dlg, IDC_RETR_ALL).Click();
            // A search for a MAC no host has, which would end in a box.
            QueueHidden(IDOK, [](CDialog& find) {
                find.SetDlgItemText(IDC_IP1, "198.18.32.0");
                find.SetDlgItemText(IDC_IP2, "198.18.64.0");
                find.SetDlgItemText(IDC_MAC, "02ffffffffff");
            });
            ButtonOf(dlg, IDC_MAC_TO_IP).Click();
            // Confirmed right after the search: the search keeps its range.
            StartAutoScan(dlg, "198.18.64.0", "198.18.96.0", "10");

            auto probedIn = [&](const char* prefix) {
                const auto probed = m_network.Probed();
                return std::count_if(probed.begin() + before, probed.end(),
                                     [&](const std::string& a) { return a.rfind(prefix, 0) == 0; });
            };
            ASSERT_TRUE(ServeUntil([&] {
                return probedIn("198.18.0.") >= 3 && probedIn("198.18.32.") >= 3 &&
                       probedIn("198.18.64.") >= 3;
            })) << probedIn("198.18.0.")
                << " " << probedIn("198.18.32.") << " " << probedIn("198.18.64.");
            closing = Clock::now();
        });
        const auto close = Clock::now() - closing;
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
        const std::size_t probes = m_network.ProbeCount();
        std::this_thread::sleep_for(5ms);
        ServeUiCalls();
        EXPECT_EQ(m_network.ProbeCount(), probes) << "nothing after the window went";
        EXPECT_EQ(UiTestSeam::MessageBoxes().size(), boxesBefore)
            << "a stopped search tells nothing";
        std::printf("closing with three walking workers took %.2f ms\n",
                    std::chrono::duration<double, std::milli>(close).count());
    }
}

// The real probe with a wait of three seconds, to a loopback address where
// nothing answers (a socket of the test's own takes its port 137 where it
// may, and stays silent): the stop must not wait for the answer.
TEST_F(ScanStopTest, StopsEndAProbeWaitingSecondsForItsAnswerAtOnce) {
    constexpr auto kGenerousStopLimit = 500ms; // the aim is 100 ms; the machine may be loaded
    UdpSocket silentHost;
    [[maybe_unused]] const auto bound = silentHost.Bind(inet_addr("127.0.0.77"), htons(137));
    std::atomic<int> probesBegun{0};
    CNodescoutDlg dlg;
    dlg.SetProbeFunction([&](std::uint32_t address, MacText& mac, Text& name) {
        ++probesBegun;
        WakeUiWait();
        return ProbeHostWithWait(address, mac, name, timeval{3, 0});
    });
    // Each walk is in its first wait once it has begun its probe and the
    // time it takes to send has passed; no probe may end meanwhile.
    auto inTheirWaits = [&](int walks) {
        EXPECT_TRUE(ServeUntil([&] { return probesBegun == walks; }));
        Serve(30ms);
        EXPECT_EQ(probesBegun, walks) << "an answer came: the address is not silent";
    };
    Clock::duration autoScanStop{};
    Clock::time_point closing;
    Watchdog watchdog(20s, "stops of probes waiting for their answers");
    QueueHidden(IDOK, [&](CDialog&) {
        StartAutoScan(dlg, "127.0.0.77", "127.0.0.80", "10");
        inTheirWaits(1);
        const auto stopStarted = Clock::now();
        ButtonOf(dlg, IDC_AUTO_SCAN).Click();
        autoScanStop = Clock::now() - stopStarted;
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);

        QueueHidden(IDOK, [](CDialog& range) {
            range.SetDlgItemText(IDC_IP1, "127.0.0.77");
            range.SetDlgItemText(IDC_IP2, "127.0.0.80");
            ButtonOf(range, IDC_ADD).Click();
        });
        ButtonOf(dlg, IDC_RETR_ALL).Click();
        StartAutoScan(dlg, "127.0.0.77", "127.0.0.80", "10");
        inTheirWaits(3);
        closing = Clock::now();
    });
    dlg.DoModal();
    const auto close = Clock::now() - closing;
    EXPECT_LT(autoScanStop, kGenerousStopLimit);
    EXPECT_LT(close, kGenerousStopLimit);
    EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
    EXPECT_EQ(dlg.GetSafeHwnd(), nullptr);
    EXPECT_EQ(probesBegun, 3) << "no walk went on to its next address";
    std::printf("with 3 s probe waits: unchecking Auto Scan took %.2f ms, closing %.2f ms\n",
                std::chrono::duration<double, std::milli>(autoScanStop).count(),
                std::chrono::duration<double, std::milli>(close).count());
}

} // namespace
} // namespace nodescout::ui_test
