// Workers that call onto the UI thread while the UI thread stops them: no
// hang, and nothing from a worker once its stop has returned.

#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/WinApp.h"
#include "tests/support/Watchdog.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace nodescout::test {
namespace {

using namespace std::chrono_literals;

// Runs a posted event that checks ready() and, once true, runs then() and
// ends the loop; until then it posts itself again behind the queued work.
void RunPostedUntil(QEventLoop& loop, const std::function<bool()>& ready,
                    const std::function<void()>& then) {
    QMetaObject::invokeMethod(
        &loop,
        [&loop, ready, then] {
            if (ready()) {
                then();
                loop.quit();
            } else {
                RunPostedUntil(loop, ready, then);
            }
        },
        Qt::QueuedConnection);
}

TEST(UiThreadingTest, StoppingWorkersThatCallInNeverHangsAndNothingArrivesAfterTheStop) {
    // A stop that can hang showed it within 20 to 970 repetitions; on a
    // slow or busy machine (or under a sanitizer) the run ends early, after
    // the minimum, to stay within its time.
    constexpr int kRepetitions = 2000;
    constexpr int kMinimumRepetitions = 1000;
    constexpr auto kTimeBudget = 15s;
    constexpr int kWorkers = 4;
    const auto started = std::chrono::steady_clock::now();
    int repetition = 0;
    for (; repetition < kRepetitions; ++repetition) {
        if (repetition >= kMinimumRepetitions &&
            std::chrono::steady_clock::now() - started > kTimeBudget) {
            break;
        }
        Watchdog watchdog(10s, "a stop of workers calling in");
        std::atomic<int> served{0};
        bool stopped = false; // UI thread only
        int arrivedAfterStop = 0;
        CWorkerRegistry workers;
        for (int w = 0; w < kWorkers; ++w) {
            workers.Start([&] {
                while (!ThisWorkerStopRequested()) {
                    CallOnUiThread([&] {
                        ++served;
                        if (stopped) {
                            ++arrivedAfterStop;
                        }
                    });
                }
            });
        }
        // Stop from inside a posted event, at a different point each time.
        const int wanted = repetition % 7;
        QEventLoop loop;
        RunPostedUntil(
            loop, [&] { return served.load() >= wanted; },
            [&] {
                workers.StopAll();
                stopped = true;
            });
        loop.exec();
        EXPECT_EQ(workers.RunningCount(), 0u);
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
        ServeUiCalls();
        ASSERT_EQ(arrivedAfterStop, 0) << "in repetition " << repetition;
    }
    const auto elapsed = std::chrono::steady_clock::now() - started;
    std::printf("%d repetitions in %lld ms\n", repetition,
                static_cast<long long>(
                    std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
}

TEST(UiThreadingTest, AStopDropsTheCallAWorkerIsBlockedIn) {
    Watchdog watchdog(10s, "a stop of a blocked worker");
    std::atomic<bool> calling{false};
    std::atomic<bool> ran{false};
    std::atomic<int> result{-1};
    CWorkerThread worker([&] {
        calling = true;
        result = CallOnUiThread([&] { ran = true; }) ? 1 : 0;
    });
    while (!calling) {
        std::this_thread::yield(); // the UI thread serves nothing meanwhile
    }
    std::this_thread::sleep_for(20ms);
    worker.Stop();
    EXPECT_TRUE(worker.IsFinished());
    EXPECT_EQ(result.load(), 0);
    QCoreApplication::processEvents();
    ServeUiCalls();
    EXPECT_FALSE(ran.load());
}

TEST(UiThreadingTest, AStopAskedFromTheWorkersOwnCallOnlyAsks) {
    Watchdog watchdog(10s, "a stop from a worker's own call");
    std::shared_ptr<CWorkerThread> handle;
    bool stopReturned = false;
    std::atomic<int> droppedCalls{0};
    CWorkerRegistry workers;
    handle = workers.Start([&] {
        CallOnUiThread([&] {
            handle->Stop(); // runs on the UI thread, inside this worker's call
            stopReturned = true;
        });
        if (!CallOnUiThread([] {})) {
            ++droppedCalls;
        }
    });
    QEventLoop loop;
    RunPostedUntil(
        loop, [&] { return stopReturned; }, [] {});
    loop.exec();
    workers.StopAll();
    EXPECT_TRUE(handle->IsFinished());
    EXPECT_EQ(droppedCalls.load(), 1);
}

TEST(UiThreadingTest, ANestedLoopInsideAWorkersCallStillServesOtherWorkers) {
    Watchdog watchdog(10s, "a nested loop in a worker's call");
    std::atomic<bool> otherServed{false};
    bool timedOut = false;
    CWorkerRegistry workers;
    workers.Start([&] {
        CallOnUiThread([&] {
            // Like a message box shown for a worker: a loop of its own.
            workers.Start([&] { CallOnUiThread([&] { otherServed = true; }); });
            QEventLoop nested;
            QTimer poll;
            QObject::connect(&poll, &QTimer::timeout, [&] {
                if (otherServed) {
                    nested.quit();
                }
            });
            poll.start(1);
            QTimer::singleShot(5000, &nested, [&] {
                timedOut = true;
                nested.quit();
            });
            nested.exec();
        });
    });
    QEventLoop loop;
    RunPostedUntil(
        loop, [&] { return workers.RunningCount() == 0; }, [] {});
    loop.exec();
    EXPECT_FALSE(timedOut);
    EXPECT_TRUE(otherServed.load());
}

TEST(UiThreadingTest, ASleepingWorkerStopsAtOnce) {
    Watchdog watchdog(10s, "a stop of a sleeping worker");
    std::atomic<int> sleepResult{-1};
    CWorkerThread worker([&] { sleepResult = SleepUnlessStopped(10s) ? 1 : 0; });
    std::this_thread::sleep_for(20ms);
    const auto before = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 1s);
    EXPECT_EQ(sleepResult.load(), 0);
    EXPECT_TRUE(SleepUnlessStopped(1ms)); // no worker: a plain sleep
}

constexpr int kProgressId = 1002;
constexpr ControlTemplate kProgressControls[] = {
    Control("", kProgressId, ControlClass::Progress, PBS_SMOOTH, 10, 10, 100, 10),
};
constexpr DialogTemplate kProgressDialogs[] = {
    {7001, kModalDialogStyle, 0, 120, 40, "", "MS Sans Serif", 8, kProgressControls}};
constexpr ResourceTable kProgressResources{kProgressDialogs, {}, {}};

class ProgressDialog : public CDialog {
public:
    ProgressDialog() : CDialog(7001) {}
    CProgressCtrl m_Progress;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, kProgressId, m_Progress); }
};

TEST(UiThreadingTest, ADialogStopsItsWorkersBeforeItsWindowGoes) {
    Watchdog watchdog(10s, "a dialog ending with workers");
    UiTestSeam::Reset();
    AfxAddResources(kProgressResources);
    ProgressDialog dialog;
    std::atomic<int> steps{0};
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog& open) {
        // Hidden, the bar does not paint: Qt paints with helper threads of
        // its own that ThreadSanitizer cannot follow in an uninstrumented Qt.
        open.GetQtWidget()->hide();
        for (int w = 0; w < 3; ++w) {
            dialog.GetWorkers().Start([&] {
                while (!ThisWorkerStopRequested()) {
                    dialog.m_Progress.SendMessage(PBM_STEPIT);
                    ++steps;
                }
            });
        }
        // Let them step a while before the dialog ends.
        QEventLoop loop;
        RunPostedUntil(
            loop, [&] { return steps.load() > 20; }, [] {});
        loop.exec();
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.GetWorkers().RunningCount(), 0u);
    EXPECT_EQ(dialog.m_Progress.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.m_Progress.SendMessage(PBM_STEPIT), 0); // no window: nothing happens
    EXPECT_EQ(UiTestSeam::UnansweredCount(), 0);
    AfxRemoveResources(kProgressResources);
}

} // namespace
} // namespace nodescout::test
