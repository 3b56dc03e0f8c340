// The commands of the main window that walk addresses, as the user meets
// them: "Retr All", the "Auto Scan" toggle and "MAC => IP", each with its
// dialog confirmed and cancelled, the walk run by a worker of the window.
// The probe is a scripted fake; nothing is sent. (The walks' own rules and
// the progress messages their events become have tests of their own.)

#include "tests/support/GuiTest.h"
#include "tests/support/UiTest.h"

#include "platform/process/AppPaths.h"
#include "tests/support/ScopedAppFolder.h"
#include "tests/support/ScriptedNetwork.h"
#include "tests/support/TempDir.h"
#include "ui/MainWindowWalk.h"
#include "ui/NodescoutDlg.h"
#include "ui/RangeListDlg.h"

#include <QMenu>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nodescout::ui_test {
namespace {

using Row = std::vector<std::string>;
using Addresses = std::vector<std::string>;

constexpr const char* kMacA = "02000000abcd";
constexpr const char* kMacB = "020000000003";

std::vector<Row> RowsOf(const CWnd& dialog) {
    const CListCtrl& list = ListOf(dialog);
    std::vector<Row> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        rows.push_back({list.GetItemText(i, 0), list.GetItemText(i, 1), list.GetItemText(i, 2),
                        list.GetItemText(i, 3)});
    }
    return rows;
}

// Opens the window menu as a right click on the background does and
// chooses "Stop Scanning" in it when choose is true (a greyed item does
// nothing). Returns whether the item was enabled.
bool StopScanningInWindowMenu(CWnd& dlg, bool choose) {
    QMenu* popup = test::RightClickAt(dlg, QPoint(3, 3)); // on the background
    EXPECT_NE(popup, nullptr);
    QAction* stop = nullptr;
    for (QAction* action : popup ? popup->actions() : QList<QAction*>()) {
        if (action->text() == "&Stop Scanning") {
            stop = action;
        }
    }
    EXPECT_NE(stop, nullptr);
    if (popup) {
        popup->close();
    }
    if (!stop) {
        return false;
    }
    const bool enabled = stop->isEnabled();
    if (choose) {
        stop->trigger();
    }
    return enabled;
}

class ScanCommandsTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_appFolder.emplace(m_dir.Path().string());
        m_pDlg = std::make_unique<CNodescoutDlg>();
        m_pDlg->SetProbeFunction(m_network.Probe());
    }
    void TearDown() override {
        m_pDlg.reset();
        m_appFolder.reset();
        UiTest::TearDown();
    }

    // Runs the main window with body while it is open, then closes it.
    void Run(const std::function<void(CNodescoutDlg&)>& body) {
        UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog&) { body(*m_pDlg); });
        m_pDlg->DoModal();
    }

    static void WaitForTheWorkers(CNodescoutDlg& dlg) {
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return dlg.GetWorkers().RunningCount() == 0; }));
    }

    test::TempDir m_dir;
    std::optional<test::ScopedAppFolder> m_appFolder;
    test::ScriptedNetwork m_network;
    std::unique_ptr<CNodescoutDlg> m_pDlg;
};

// What a walk reports reaches the window's bar, list and status line.
TEST_F(ScanCommandsTest, TheWindowAsWalkOwnerDrivesItsBarListAndStatusLine) {
    Run([&](CNodescoutDlg& dlg) {
        MainWindowWalkOwner owner(dlg, ProgressOf(dlg));
        owner.RangeBegins(9);
        owner.AddressDone();
        owner.AddressDone();
        int nLower = 0;
        int nUpper = 0;
        ProgressOf(dlg).GetRange(nLower, nUpper);
        EXPECT_EQ(nLower, 1);
        EXPECT_EQ(nUpper, 9);
        EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 3);
        owner.RangeEnds(9);
        EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 9);
        owner.SetStatusText("198.18.0.7");
        EXPECT_EQ(TextOf(dlg, IDC_STATUS), "198.18.0.7");
        owner.RowFound("198.18.0.7", kMacA, "ALPHA");
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.0.7", kMacA, "ALPHA"}}));
    });
}

// On a worker the steps travel together: none is lost, and each reaches the
// bar before anything the walk sends after it.
TEST_F(ScanCommandsTest, StepsSentTogetherFromAWorkerArriveBeforeWhatFollowsThem) {
    Run([&](CNodescoutDlg& dlg) {
        CProgressCtrl& bar = ProgressOf(dlg);
        std::atomic<int> atRow{-1};
        std::atomic<int> atStatus{-1};
        dlg.GetWorkers().Start([&] {
            MainWindowWalkOwner owner(dlg, bar);
            const auto position = [&] {
                return CallOnUiThread(-1, [&] { return test::PositionOf(bar); });
            };
            owner.RangeBegins(1000);
            for (int i = 0; i < 200; ++i) {
                owner.AddressDone();
            }
            owner.RowFound("198.18.0.200", kMacA, "ALPHA");
            atRow = position();
            owner.AddressDone();
            owner.SetStatusText("198.18.0.202");
            atStatus = position();
            owner.AddressDone();
            owner.AddressDone(); // sent as the owner goes
        });
        WaitForTheWorkers(dlg);
        EXPECT_EQ(atRow, 201);
        EXPECT_EQ(atStatus, 202);
        EXPECT_EQ(test::PositionOf(bar), 204);
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.0.200", kMacA, "ALPHA"}}));
    });
}

TEST_F(ScanCommandsTest, RetrAllTakesBackTheDialogsTableAndFieldsOnOkAndScansTheTable) {
    m_network.AddHost("198.18.0.2", kMacA, "ALPHA");
    m_network.AddHost("198.18.1.3", kMacB, "BETA");
    m_network.AddHost("198.18.1.6", "020000000006", "END"); // an end address: never probed
    Run([&](CNodescoutDlg& dlg) {
        dlg.SetIP1("198.18.0.1");
        dlg.SetIP2("198.18.0.9");
        RangeTable table;
        table[0] = {Text("198.18.0.1"), Text("198.18.0.4")};
        dlg.SetRanges(table, 1);

        // Cancel after changing everything in the dialog: nothing changes.
        UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& range) {
            range.SetDlgItemText(IDC_IP1, "10.0.0.1");
            range.SetDlgItemText(IDC_IP2, "10.0.0.9");
            ButtonOf(range, IDC_ADD).Click();
        });
        ButtonOf(dlg, IDC_RETR_ALL).Click();
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        EXPECT_EQ(dlg.GetIP1().View(), "198.18.0.1");
        EXPECT_EQ(dlg.GetRangeCount(), 1);

        // OK: the table as the list holds it, the fields as last typed.
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& range) {
            EXPECT_EQ(TextOf(range, IDC_IP1), "198.18.0.1");
            EXPECT_EQ(TextOf(range, IDC_IP2), "198.18.0.9");
            EXPECT_EQ(dynamic_cast<CRangeListDlg&>(range).m_RangeList.GetItemText(0, 1),
                      "198.18.0.4");
            range.SetDlgItemText(IDC_IP1, "198.18.1.1");
            range.SetDlgItemText(IDC_IP2, "198.18.1.6");
            ButtonOf(range, IDC_ADD).Click();
            range.SetDlgItemText(IDC_IP1, "typed 1");
            range.SetDlgItemText(IDC_IP2, "typed 2");
        });
        ButtonOf(dlg, IDC_RETR_ALL).Click();
        EXPECT_EQ(dlg.GetIP1().View(), "typed 1");
        EXPECT_EQ(dlg.GetIP2().View(), "typed 2");
        ASSERT_EQ(dlg.GetRangeCount(), 2);
        EXPECT_EQ(dlg.GetRange(1).start.View(), "198.18.1.1");
        EXPECT_EQ(dlg.GetRange(1).end.View(), "198.18.1.6");
        WaitForTheWorkers(dlg);

        EXPECT_EQ(m_network.Probed(),
                  (Addresses{"198.18.0.1", "198.18.0.2", "198.18.0.3", "198.18.1.1", "198.18.1.2",
                             "198.18.1.3", "198.18.1.4", "198.18.1.5"}));
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.0.2", kMacA, "ALPHA"},
                                                 {"2", "198.18.1.3", kMacB, "BETA"}}));
        EXPECT_EQ(TextOf(dlg, IDC_STATUS), "198.18.1.5") << "the last address probed stays";
        int nLower = 0;
        int nUpper = 0;
        ProgressOf(dlg).GetRange(nLower, nUpper);
        EXPECT_EQ(nUpper, 5) << "the last range's";
        EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 5);
    });
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{102, 103, 103}));
}

TEST_F(ScanCommandsTest, AutoScanRunsOnlyWhileTheToggleIsCheckedAndCancelChangesNothing) {
    m_network.AddHost("198.18.0.2", kMacA, "ALPHA");
    Run([&](CNodescoutDlg& dlg) {
        dlg.SetIP1("198.18.1"); // what the parser reads: 198.18.0.1
        dlg.SetIP2("not an address");
        CButton& toggle = ButtonOf(dlg, IDC_AUTO_SCAN);

        UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& options) {
            EXPECT_EQ(TextOf(options, IDC_IP1), "198.18.0.1");
            EXPECT_EQ(TextOf(options, IDC_IP2), "not an address") << "shown as it is";
            EXPECT_EQ(TextOf(options, IDC_INTERVAL), "10");
            options.SetDlgItemText(IDC_INTERVAL, "3");
        });
        toggle.Click();
        EXPECT_EQ(toggle.GetCheck(), BST_UNCHECKED);
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        EXPECT_EQ(dlg.GetIP1().View(), "198.18.1");
        EXPECT_EQ(dlg.GetIP2().View(), "not an address");
        EXPECT_EQ(dlg.GetInterval(), 10);

        // An interval without a leading number is 0: pass after pass.
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& options) {
            options.SetDlgItemText(IDC_IP1, "198.18.0.1");
            options.SetDlgItemText(IDC_IP2, "198.18.0.4");
            options.SetDlgItemText(IDC_INTERVAL, "abc");
        });
        toggle.Click();
        EXPECT_EQ(toggle.GetCheck(), BST_CHECKED);
        EXPECT_EQ(dlg.GetIP1().View(), "198.18.0.1");
        EXPECT_EQ(dlg.GetIP2().View(), "198.18.0.4");
        EXPECT_EQ(dlg.GetInterval(), 0);
        // Three passes of three fake probes: far less than a second without pauses.
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return m_network.ProbeCount() >= 9; }, 900));

        toggle.Click(); // unchecked: stopped when the click returns
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        const Addresses probed = m_network.Probed();
        const Addresses passes = {"198.18.0.1", "198.18.0.2", "198.18.0.3",
                                  "198.18.0.1", "198.18.0.2", "198.18.0.3",
                                  "198.18.0.1", "198.18.0.2", "198.18.0.3"};
        EXPECT_EQ(Addresses(probed.begin(), probed.begin() + 9), passes);
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"+1", "198.18.0.2", kMacA, "ALPHA"}}));
        EXPECT_EQ(TextOf(dlg, IDC_STATUS), "") << "only Retr All shows the address";
        test::ProcessEventsUntil([] { return false; }, 20);
        EXPECT_EQ(m_network.ProbeCount(), probed.size()) << "nothing after the stop";
    });
}

// Probes that take long (a long wait set, hosts that do not answer) must
// not leave a walk running until the program ends.
TEST_F(ScanCommandsTest, StopScanningInTheWindowMenuEndsEveryWalkAtOnceAndIsGreyedOtherwise) {
    using namespace std::chrono_literals;
    m_network.AnswerEverywhere();
    m_network.SetProbeTime(10s); // no walk gets past its first address
    Run([&](CNodescoutDlg& dlg) {
        EXPECT_FALSE(StopScanningInWindowMenu(dlg, false)) << "greyed: nothing runs";
        dlg.AddOrUpdateRow("198.18.9.9", kMacA, "ALPHA");
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& range) {
            range.SetDlgItemText(IDC_IP1, "198.18.0.1");
            range.SetDlgItemText(IDC_IP2, "198.18.0.9");
            ButtonOf(range, IDC_ADD).Click();
        });
        ButtonOf(dlg, IDC_RETR_ALL).Click();
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& find) {
            find.SetDlgItemText(IDC_IP1, "198.18.1.1");
            find.SetDlgItemText(IDC_IP2, "198.18.1.9");
            find.SetDlgItemText(IDC_MAC, "02ffffffffff");
        });
        ButtonOf(dlg, IDC_MAC_TO_IP).Click();
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& options) {
            options.SetDlgItemText(IDC_IP1, "198.18.2.1");
            options.SetDlgItemText(IDC_IP2, "198.18.2.9");
        });
        CButton& toggle = ButtonOf(dlg, IDC_AUTO_SCAN);
        toggle.Click();
        ASSERT_EQ(toggle.GetCheck(), BST_CHECKED);
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return m_network.ProbeCount() == 3; }));
        const int position = test::PositionOf(ProgressOf(dlg));

        const auto started = std::chrono::steady_clock::now();
        EXPECT_TRUE(StopScanningInWindowMenu(dlg, true)) << "enabled while walks run";
        const auto stop = std::chrono::steady_clock::now() - started;
        EXPECT_LT(stop, 100ms) << "the probes in progress do not hold it up";
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        EXPECT_EQ(toggle.GetCheck(), BST_UNCHECKED);

        // The stopped probes all answered, yet nothing comes of them.
        test::ProcessEventsUntil([] { return false; }, 30);
        EXPECT_EQ(m_network.ProbeCount(), 3u);
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.9.9", kMacA, "ALPHA"}}));
        EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), position) << "the bar stays where it was";
        EXPECT_EQ(TextOf(dlg, IDC_STATUS), "198.18.0.1");
        EXPECT_FALSE(StopScanningInWindowMenu(dlg, false)) << "greyed again";
    });
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty()) << "a stopped search tells nothing";
}

TEST_F(ScanCommandsTest, MacToIpFindsTheHostOnItsOwnCopiesAndTellsTheOutcome) {
    m_network.AddHost("198.18.0.3", kMacB, "BETA"); // another MAC: not entered
    m_network.AddHost("198.18.0.5", kMacA, "ALPHA");
    Run([&](CNodescoutDlg& dlg) {
        dlg.SetIP1("198.18.0.1");
        dlg.SetIP2("bad");
        dlg.SetMac("020000000099");
        auto search = [&](int nCommand, const char* ip1, const char* ip2, const char* mac) {
            UiTestSeam::QueueModalAnswer(nCommand, [=](CDialog& find) {
                find.SetDlgItemText(IDC_IP1, ip1);
                find.SetDlgItemText(IDC_IP2, ip2);
                find.SetDlgItemText(IDC_MAC, mac);
            });
            ButtonOf(dlg, IDC_MAC_TO_IP).Click();
            WaitForTheWorkers(dlg);
        };

        // Cancel: nothing is kept, nothing starts.
        UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& find) {
            EXPECT_EQ(TextOf(find, IDC_IP1), "198.18.0.1");
            EXPECT_EQ(TextOf(find, IDC_IP2), "bad");
            EXPECT_EQ(TextOf(find, IDC_MAC), "020000000099");
            find.SetDlgItemText(IDC_MAC, "020000000003");
        });
        ButtonOf(dlg, IDC_MAC_TO_IP).Click();
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        EXPECT_EQ(dlg.GetMac().View(), "020000000099");
        EXPECT_EQ(dlg.GetIP2().View(), "bad");

        // Upper-case digits find the host; nothing after it is probed. A
        // search confirmed meanwhile (here: its texts written into the
        // fields at the first probe) does not move this one.
        m_network.SetOnProbe([&] {
            dlg.SetIP2("198.18.0.2");
            dlg.SetMac(kMacB);
        });
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        search(IDOK, "198.18.0.1", "198.18.0.9", "02000000ABCD");
        m_network.SetOnProbe({});
        EXPECT_EQ(m_network.Probed(), (Addresses{"198.18.0.1", "198.18.0.2", "198.18.0.3",
                                                 "198.18.0.4", "198.18.0.5"}));
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.0.5", kMacA, "ALPHA"}}));
        EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 8);

        // No match: the end address is probed too. The texts stay as typed.
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        search(IDOK, "198.18.0.6", "198.18.0.7", "020000000077");
        EXPECT_EQ(m_network.ProbeCount(), 7u);
        EXPECT_EQ(dlg.GetIP1().View(), "198.18.0.6");
        EXPECT_EQ(dlg.GetIP2().View(), "198.18.0.7");
        EXPECT_EQ(dlg.GetMac().View(), "020000000077");
        EXPECT_EQ(TextOf(dlg, IDC_STATUS), "");
    });
    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Congratulations. Get it: 02000000abcd - 198.18.0.5");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(boxes[0].caption, "Nodescout");
    EXPECT_EQ(boxes[1].text, "Sorry, cannot find it.");
}

// A typo in a range must not become a walk of addresses nobody typed: a
// range whose ends are not both dotted addresses is refused with a box
// saying which and why, a large one waits for Yes, and nothing is probed
// until then.
TEST_F(ScanCommandsTest, CommandsWalkOnlyAddressRangesAndAskBeforeLargeOnes) {
    m_network.AddHost("198.18.0.3", "0200c6120003", "GAMMA");
    Run([&](CNodescoutDlg& dlg) {
        auto retrAll = [&](std::vector<std::pair<const char*, const char*>> ranges) {
            RangeTable table;
            for (std::size_t i = 0; i < ranges.size(); ++i) {
                table[i] = {Text(ranges[i].first), Text(ranges[i].second)};
            }
            dlg.SetRanges(table, static_cast<int>(ranges.size()));
            UiTestSeam::QueueModalAnswer(IDOK);
            ButtonOf(dlg, IDC_RETR_ALL).Click();
        };
        UiTestSeam::QueueMessageBoxAnswer(IDOK); // each refusal has its box
        retrAll(
            {{"198.18.0.1", "198.18.0.4"}, {"198.18.0.1", "198.18.0.2555"}, {"", "198.18.0.9"}});
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u) << "one faulty range keeps the table";
        EXPECT_EQ(dlg.GetRangeCount(), 3) << "kept to be put right";

        UiTestSeam::QueueMessageBoxAnswer(IDNO);
        retrAll({{"198.18.0.1", "198.18.0.4"}, {"198.18.0.1", "198.19.0.2"}});
        EXPECT_EQ(dlg.GetWorkers().RunningCount(), 0u);
        UiTestSeam::QueueMessageBoxAnswer(IDYES);
        retrAll({{"198.18.0.1", "198.19.0.2"}});
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return m_network.ProbeCount() >= 3; }));
        dlg.GetWorkers().StopAll();
        const Addresses walked = m_network.Probed();
        EXPECT_EQ(Addresses(walked.begin(), walked.begin() + 3),
                  (Addresses{"198.18.0.1", "198.18.0.2", "198.18.0.3"}));
        const std::size_t probesBefore = walked.size();

        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& options) {
            options.SetDlgItemText(IDC_IP1, "198.18.0.1");
            options.SetDlgItemText(IDC_IP2, "198.18.0.2555");
        });
        ButtonOf(dlg, IDC_AUTO_SCAN).Click();
        EXPECT_EQ(ButtonOf(dlg, IDC_AUTO_SCAN).GetCheck(), BST_UNCHECKED);
        EXPECT_EQ(dlg.GetIP2().View(), "198.18.0.2555") << "kept as typed";

        auto search = [&](const char* ip2, const char* mac) {
            UiTestSeam::QueueModalAnswer(IDOK, [=](CDialog& find) {
                find.SetDlgItemText(IDC_IP1, "198.18.0.1");
                find.SetDlgItemText(IDC_IP2, ip2);
                find.SetDlgItemText(IDC_MAC, mac);
            });
            ButtonOf(dlg, IDC_MAC_TO_IP).Click();
            WaitForTheWorkers(dlg);
        };
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        search("198.18.0.9", "02:00:c6:12:00:0"); // one digit short
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        search("198.18.0.", "0200c6120003");
        EXPECT_EQ(m_network.ProbeCount(), probesBefore) << "nothing since the stop";
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        search("198.18.0.9", "02-00-C6-12-00-03");
        EXPECT_EQ(m_network.ProbeCount(), probesBefore + 3);
        EXPECT_EQ(dlg.GetMac().View(), "02-00-C6-12-00-03") << "kept as typed, for the settings";
    });
    std::vector<std::string> texts;
    for (const ShownMessageBox& box : UiTestSeam::MessageBoxes()) {
        texts.push_back(box.text);
    }
    const std::string address =
        "\nAn address is four numbers from 0 to 255 joined by dots, such as 198.18.0.1.";
    EXPECT_EQ(texts,
              (std::vector<std::string>{
                  "Retr All does not start:\nIn range 2, the end \"198.18.0.2555\" is not "
                  "an IPv4 address.\nIn range 3, the start is empty." +
                      address,
                  "Retr All is about to probe 65540 addresses, one after another:\nrange 2 "
                  "(198.18.0.1 - 198.19.0.2): 65537 addresses\nProbe them all?",
                  "Retr All is about to probe 65537 addresses, one after another:\nrange 1 "
                  "(198.18.0.1 - 198.19.0.2): 65537 addresses\nProbe them all?",
                  "Auto Scan does not start:\nIn the range, the end \"198.18.0.2555\" is not "
                  "an IPv4 address." +
                      address,
                  "MAC => IP does not start: \"02:00:c6:12:00:0\" is not a MAC address.\nA "
                  "MAC address is twelve hexadecimal digits, such as 001122334455, "
                  "00:11:22:33:44:55 or 00-11-22-33-44-55.",
                  "MAC => IP does not start:\nIn the range, the end \"198.18.0.\" is not an "
                  "IPv4 address." +
                      address,
                  "Congratulations. Get it: 0200c6120003 - 198.18.0.3"}));
    EXPECT_EQ(UiTestSeam::MessageBoxes()[1].type, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
}

} // namespace
} // namespace nodescout::ui_test
