// The progress bar's Windows rules, message boxes through the test seam, and
// the UI-thread call from a worker.

#include "tests/support/GuiTest.h"

#include <QProgressBar>

#include <thread>

namespace nodescout::test {
namespace {

using ProgressTest = GuiTest;
using MessageBoxTest = GuiTest;

void WithProgress(const std::function<void(CProgressCtrl&)>& body) {
    TestDialog dialog(IDD_SAMPLE_CHOICE);
    CProgressCtrl progress;
    dialog.exchange = [&](CDataExchange* pDX) { DDX_Control(pDX, IDC_PROGRESS, progress); };
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) { body(progress); });
    dialog.DoModal();
}

TEST_F(ProgressTest, NumberedMessagesFollowTheWindowsRules) {
    WithProgress([](CProgressCtrl& progress) {
        int lower = -1;
        int upper = -1;
        progress.GetRange(lower, upper);
        EXPECT_EQ(lower, 0); // a new bar: 0..100, step 10
        EXPECT_EQ(upper, 100);
        EXPECT_EQ(progress.SendMessage(PBM_STEPIT), 0);
        EXPECT_EQ(PositionOf(progress), 10);

        // A walk of 9 addresses: range 1..9, position 1, step 1.
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(1, 9));
        progress.SendMessage(PBM_SETPOS, 1, 0);
        progress.SendMessage(PBM_SETSTEP, 1, 0);
        for (int i = 0; i < 8; ++i) {
            progress.SendMessage(PBM_STEPIT, 0, 0);
        }
        EXPECT_EQ(PositionOf(progress), 9);
        progress.SendMessage(PBM_STEPIT, 0, 0); // past the maximum: back to the minimum
        EXPECT_EQ(PositionOf(progress), 1);
        progress.SendMessage(PBM_SETPOS, 9, 0);
        EXPECT_EQ(PositionOf(progress), 9);

        // The range holds unsigned 16-bit words: 70000 keeps its low 16 bits.
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(1, 70000 & 0xFFFF));
        progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 70000 - 65536);
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(1, static_cast<WORD>(-5 & 0xFFFF)));
        progress.GetRange(lower, upper);
        EXPECT_EQ(upper, 65531);

        // Positions outside the range are held at its ends; a negative
        // closing position (an end below the start) gives the minimum.
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(1, 9));
        progress.SendMessage(PBM_SETPOS, static_cast<WPARAM>(-3), 0);
        EXPECT_EQ(PositionOf(progress), 1);
        EXPECT_EQ(progress.SendMessage(PBM_SETPOS, 50, 0), 1); // answers the old position
        EXPECT_EQ(PositionOf(progress), 9);
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(1, 4)); // a new range holds it too
        EXPECT_EQ(PositionOf(progress), 4);
    });
}

TEST_F(ProgressTest, TheBarShowsTheStateWithoutTextOrAnimation) {
    WithProgress([](CProgressCtrl& progress) {
        auto* bar = dynamic_cast<QProgressBar*>(progress.GetQtWidget());
        ASSERT_NE(bar, nullptr);
        EXPECT_FALSE(bar->isTextVisible());
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(1, 1)); // minimum equals maximum
        EXPECT_LT(bar->minimum(), bar->maximum());
        EXPECT_EQ(bar->value(), bar->minimum());
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 4));
        progress.SetPos(2);
        EXPECT_EQ(bar->value() - bar->minimum(), (bar->maximum() - bar->minimum()) / 2);
    });
}

TEST_F(ProgressTest, WorkersStepTheBarThroughTheUiThread) {
    WithProgress([](CProgressCtrl& progress) {
        progress.SendMessage(PBM_SETRANGE, 0, MAKELPARAM(0, 1000));
        progress.SendMessage(PBM_SETSTEP, 1, 0);
        progress.SetPos(0);
        std::vector<std::thread> workers;
        for (int w = 0; w < 4; ++w) {
            workers.emplace_back([&progress] {
                for (int i = 0; i < 50; ++i) {
                    progress.SendMessage(PBM_STEPIT, 0, 0);
                }
            });
        }
        // This thread is the UI thread: keep serving until every step arrived.
        EXPECT_TRUE(ProcessEventsUntil([&] { return PositionOf(progress) == 200; }));
        for (std::thread& worker : workers) {
            worker.join();
        }
    });
}

// Only SendMessage crosses threads; any other member called from a worker
// ends the program at once instead of racing the UI thread.
TEST_F(ProgressTest, AWorkerCallingAUiThreadMemberEndsTheProgram) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    WithProgress([](CProgressCtrl& progress) {
        EXPECT_DEATH(
            {
                std::thread worker([&progress] { progress.SetPos(1); });
                worker.join();
            },
            "SetPos.*UI thread only");
    });
}

TEST_F(MessageBoxTest, QueuedAnswersAreReturnedAndEveryBoxIsRecorded) {
    UiTestSeam::QueueMessageBoxAnswer(IDNO);
    UiTestSeam::QueueMessageBoxAnswer(IDYES);
    UiTestSeam::QueueMessageBoxAnswer(IDOK);
    EXPECT_EQ(AfxMessageBox("Are you sure to exit?", MB_YESNO | MB_ICONINFORMATION), IDNO);
    EXPECT_EQ(AfxMessageBox("Are you sure to exit?", MB_YESNO | MB_ICONINFORMATION), IDYES);
    int fromWorker = 0;
    std::thread worker([&] {
        fromWorker =
            AfxMessageBox(std::string("Sorry, cannot find it."), MB_OK | MB_ICONINFORMATION);
    });
    EXPECT_TRUE(ProcessEventsUntil([&] { return UiTestSeam::MessageBoxes().size() == 3; }));
    worker.join();
    EXPECT_EQ(fromWorker, IDOK);
    const std::vector<ShownMessageBox> shown = UiTestSeam::MessageBoxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, "Nodescout");
    EXPECT_EQ(shown[0].type, 0x44u);
    EXPECT_EQ(shown[2].text, "Sorry, cannot find it.");
    EXPECT_EQ(shown[2].type, MB_OK | MB_ICONINFORMATION);
}

TEST_F(MessageBoxTest, AnUnansweredBoxEndsAsEscapeWouldAndIsCounted) {
    EXPECT_EQ(AfxMessageBox("?", MB_YESNO), IDNO);
    EXPECT_EQ(AfxMessageBox("!", MB_OK), IDOK);
    EXPECT_EQ(UiTestSeam::UnansweredCount(), 2);
    UiTestSeam::Reset();
}

} // namespace
} // namespace nodescout::test
