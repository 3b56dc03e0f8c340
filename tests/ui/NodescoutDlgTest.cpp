// The main window as its user meets it: it opens with the settings and the
// saved list of its folder, "IP => MAC", "Clear", the row editor, "Wake On
// Lan", the About box from the system menu, and every way out, each of which
// saves. The probe and the Wake-on-LAN sender are fakes: nothing is sent.

#include "tests/support/GuiTest.h"
#include "tests/support/UiTest.h"

#include "platform/net/Inet.h"
#include "platform/process/AppPaths.h"
#include "platform/shell/Shell.h"
#include "probe/WakeOnLan.h"
#include "tests/support/ScopedAppFolder.h"
#include "tests/support/ScopedEnvironment.h"
#include "tests/support/ScriptedNetwork.h"
#include "tests/support/TempDir.h"
#include "ui/NodescoutDlg.h"
#include "ui/ResultList.h"

#include <QApplication>
#include <QHeaderView>
#include <QHelpEvent>
#include <QMenu>
#include <QToolTip>
#include <QTreeWidget>
#include <QWidget>
#include <QtTest/QTest>

#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace nodescout::ui_test {
namespace {

using Row = std::vector<std::string>;

constexpr const char* kMacA = "020000000002";
constexpr const char* kMacB = "020000000003";
constexpr const char* kMacC = "020000000004";

std::vector<Row> RowsOf(const CListCtrl& list) {
    std::vector<Row> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        rows.push_back({list.GetItemText(i, 0), list.GetItemText(i, 1), list.GetItemText(i, 2),
                        list.GetItemText(i, 3)});
    }
    return rows;
}

void Select(CListCtrl& list, const std::vector<int>& rows) {
    test::SelectRows(list, rows);
}

void AddThreeRows(CNodescoutDlg& dlg) {
    dlg.AddOrUpdateRow("198.18.0.2", kMacA, "ALPHA");
    dlg.AddOrUpdateRow("198.18.0.3", kMacB, "BETA");
    dlg.AddOrUpdateRow("198.18.0.4", kMacC, "");
}

class NodescoutDlgTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_appFolder.emplace(m_dir.Path().string());
        CResultList::s_nSortColumn = 0;
        CResultList::s_bSortAscending = false;
        // After the resources: the window takes its icon when it is made.
        m_pDlg = std::make_unique<CNodescoutDlg>();
        m_pDlg->SetProbeFunction(m_network.Probe());
        m_pDlg->SetWakeOnLanFunction([this](const char* mac, const char* address) {
            m_woken.emplace_back(mac);
            m_wokenAt.emplace_back(address);
            const auto answer = m_wakeOnLanAnswers.find(mac);
            return answer == m_wakeOnLanAnswers.end() ? int{kWakeOnLanSent} : answer->second;
        });
    }
    void TearDown() override {
        m_pDlg.reset();
        m_appFolder.reset();
        UiTest::TearDown();
    }

    // Runs the main window with body while it is open; body ends it itself
    // unless nCommand (IDOK, IDCANCEL...) is given to end it afterwards.
    INT_PTR Run(const std::function<void(CNodescoutDlg&)>& body, int nCommand = 0) {
        UiTestSeam::QueueModalAnswer(nCommand, [&](CDialog&) { body(*m_pDlg); });
        return m_pDlg->DoModal();
    }

    static void PressEnter(CDialog& dlg) { test::PressKey(test::FocusOf(dlg), Qt::Key_Return); }

    test::TempDir m_dir;
    std::optional<test::ScopedAppFolder> m_appFolder;
    test::ScriptedNetwork m_network;
    std::unique_ptr<CNodescoutDlg> m_pDlg;
    std::vector<std::string> m_woken;
    std::vector<std::string> m_wokenAt; // the address text passed with each MAC
    std::map<std::string, int> m_wakeOnLanAnswers;
};

// ------------------------------------------------------------ opening and saving

TEST_F(NodescoutDlgTest, FirstRunOpensEmptyAndEnterClosesWithoutAskingAndWritesTheDefaults) {
    const INT_PTR result = Run([](CNodescoutDlg& dlg) {
        CListCtrl& list = ListOf(dlg);
        QTreeWidget* tree = test::TreeOf(list);
        EXPECT_TRUE(tree->allColumnsShowFocus()); // LVS_EX_FULLROWSELECT
        ASSERT_EQ(tree->columnCount(), 4);
        const std::vector<std::pair<std::string, int>> expected = {
            {"No.", 40}, {"IP Address", 120}, {"MAC Address", 120}, {"Computer Name", 180}};
        for (int column = 0; column < 4; ++column) {
            EXPECT_EQ(tree->headerItem()->text(column).toStdString(), expected[column].first);
            EXPECT_EQ(tree->header()->sectionSize(column), expected[column].second);
        }
        EXPECT_FALSE(dlg.GetQtWidget()->windowIcon().isNull());
        EXPECT_EQ(list.GetItemCount(), 0);
        EXPECT_EQ(dlg.GetInterval(), 10);
        // The list has the focus at start; Enter there is the OK command.
        EXPECT_EQ(test::FocusOf(dlg), list.GetQtWidget());
        PressEnter(dlg);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty()) << "Enter asks nothing";
    EXPECT_EQ(m_dir.Read("Scout.ini"), "[Profile]\r\nIP1=\r\nIP2=\r\nMAC=\r\nInterval=10\r\n"
                                       "[IPRange]\r\nCount=0\r\n");
    EXPECT_TRUE(std::filesystem::exists(m_dir.File("Default.txt")));
    EXPECT_EQ(m_dir.Read("Default.txt"), "");
}

TEST_F(NodescoutDlgTest, LoadsTheOddFilesAsTheyAlwaysWereReadAndSavesWhatItHolds) {
    std::string ranges = "[IPRange]\r\nCount=150\r\n";
    for (int i = 1; i <= 101; ++i) {
        ranges += "IP" + std::to_string(i) + "-1=10.0." + std::to_string(i) + ".1\r\n";
        ranges += "IP" + std::to_string(i) + "-2=10.0." + std::to_string(i) + ".9\r\n";
    }
    m_dir.Write("Scout.ini", "[Profile]\r\nIP1=198.18.0.1\r\nIP2=198.18.0.40\r\n"
                             "Mac=00-a0-c9-12-34-56\r\nInterval=abc\r\n" +
                                 ranges);
    // A name with a blank, a blank line, a MAC seen again at another address.
    m_dir.Write("Default.txt", std::string("+3\t198.18.0.2\t") + kMacA + "\tMY PC\r\n" +
                                   "-7\t198.18.0.3\t" + kMacB + "\tBETA\r\n" + "\r\n" +
                                   "12\t198.18.0.9\t" + kMacA + "\tGAMMA\r\n");
    const INT_PTR result = Run([](CNodescoutDlg& dlg) {
        EXPECT_EQ(dlg.GetIP1().View(), "198.18.0.1");
        EXPECT_EQ(dlg.GetIP2().View(), "198.18.0.40");
        EXPECT_EQ(dlg.GetMac().View(), "00-a0-c9-12-34-56");
        EXPECT_EQ(dlg.GetInterval(), 0);
        EXPECT_EQ(dlg.GetRangeCount(), 100) << "the table holds 100";
        EXPECT_EQ(dlg.GetRange(99).start.View(), "10.0.100.1");
        EXPECT_EQ(RowsOf(ListOf(dlg)), (std::vector<Row>{{"-1", "198.18.0.9", kMacA, "MY"},
                                                         {"2", "198.18.0.3", kMacB, "BETA"},
                                                         {"3", "", "", ""}}));
        PressEnter(dlg);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dir.Read("Default.txt"), std::string("-1\t198.18.0.9\t") + kMacA + "\tMY\r\n" +
                                             "2\t198.18.0.3\t" + kMacB + "\tBETA\r\n" +
                                             "3\t\t\t\r\n");
    const std::string ini = m_dir.Read("Scout.ini");
    // The key keeps the spelling it has in the file.
    for (const char* line :
         {"\r\nMac=00-a0-c9-12-34-56\r\n", "\r\nInterval=0\r\n", "\r\nCount=100\r\n",
          "\r\nIP100-2=10.0.100.9\r\n", "\r\nIP101-1=10.0.101.1\r\n"}) {
        EXPECT_NE(ini.find(line), std::string::npos) << line << " in\n" << ini;
    }
}

// A full disk while the list is written: the old list stays whole, and the
// range table is still written after it.
TEST_F(NodescoutDlgTest, AFailedListWriteKeepsTheOldListAndStillWritesTheRanges) {
    const std::string old = std::string("1\t198.18.0.2\t") + kMacA + "\tALPHA\r\n";
    m_dir.Write("Default.txt", old);

    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    Run([&](CNodescoutDlg& dlg) {
        RangeTable ranges;
        ranges[0] = {Text("198.18.0.1"), Text("198.18.0.99")};
        ranges[1] = {Text("198.18.1.1"), Text("198.18.1.99")};
        dlg.SetRanges(ranges, 2);
        for (int i = 0; i < 40; ++i) {
            char mac[16];
            std::snprintf(mac, sizeof mac, "0200000001%02x", i);
            dlg.AddOrUpdateRow("198.18.0.100", mac, "A-LONGER-COMPUTER-NAME");
        }
        // Room for the settings file, not for the list.
        rlimit small = saved;
        small.rlim_cur = 512;
        ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
        PressEnter(dlg);
    });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(m_dir.Read("Default.txt"), old);
    const std::string ini = m_dir.Read("Scout.ini");
    EXPECT_NE(ini.find("[IPRange]\r\nCount=2\r\nIP1-1=198.18.0.1\r\nIP1-2=198.18.0.99\r\n"
                       "IP2-1=198.18.1.1\r\nIP2-2=198.18.1.99\r\n"),
              std::string::npos)
        << ini;
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir.Path())) {
        files.push_back(entry.path().filename().string());
    }
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Default.txt", "Scout.ini"}));
}

// ------------------------------------------------------------ the commands

TEST_F(NodescoutDlgTest, IpToMacEntersTheTypedTextWhenTheProbeFindsAMac) {
    m_network.AddHost("198.18.0.5", kMacA, "ALPHA");
    Run(
        [&](CNodescoutDlg& dlg) {
            auto probeTyping = [&](int nCommand, const char* typed) {
                UiTestSeam::QueueModalAnswer(nCommand, [typed](CDialog& input) {
                    EXPECT_EQ(TextOf(input, IDC_IP_LABEL), "IP Address");
                    EXPECT_EQ(TextOf(input, IDC_IP), "") << "nothing is remembered";
                    input.SetDlgItemText(IDC_IP, typed);
                });
                ButtonOf(dlg, IDC_IP_TO_MAC).Click();
            };
            // Octal parts read as the same address; the row shows the text as typed.
            probeTyping(IDOK, "198.18.0.005");
            probeTyping(IDOK, "198.18.0.6"); // nobody there
            probeTyping(IDCANCEL, "198.18.0.5");
            EXPECT_EQ(m_network.Probed(), (std::vector<std::string>{"198.18.0.5", "198.18.0.6"}));
            EXPECT_EQ(RowsOf(ListOf(dlg)),
                      (std::vector<Row>{{"1", "198.18.0.005", kMacA, "ALPHA"}}));
            EXPECT_TRUE(UiTestSeam::MessageBoxes().empty()) << "finding nothing says nothing";
        },
        IDOK);
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{102, 104, 104, 104}));
}

TEST_F(NodescoutDlgTest, ClearAsksAndRemovesOnlyTheSelectedRows) {
    Run(
        [](CNodescoutDlg& dlg) {
            AddThreeRows(dlg);
            CListCtrl& list = ListOf(dlg);
            ProgressOf(dlg).SetPos(60);
            Select(list, {0, 2});

            UiTestSeam::QueueMessageBoxAnswer(IDNO);
            ButtonOf(dlg, IDC_CLEAR).Click();
            EXPECT_EQ(list.GetItemCount(), 3);
            EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 60);

            UiTestSeam::QueueMessageBoxAnswer(IDYES);
            ButtonOf(dlg, IDC_CLEAR).Click();
            EXPECT_EQ(RowsOf(list), (std::vector<Row>{{"2", "198.18.0.3", kMacB, "BETA"}}));
            EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 0);

            // Nothing selected: it still asks, and Yes only resets the bar.
            ProgressOf(dlg).SetPos(30);
            Select(list, {});
            UiTestSeam::QueueMessageBoxAnswer(IDYES);
            ButtonOf(dlg, IDC_CLEAR).Click();
            EXPECT_EQ(list.GetItemCount(), 1);
            EXPECT_EQ(test::PositionOf(ProgressOf(dlg)), 0);
            // The next row is numbered from the row count.
            dlg.AddOrUpdateRow("198.18.0.7", "020000000007", "");
            EXPECT_EQ(list.GetItemText(1, 0), "2");
        },
        IDOK);
    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    for (const ShownMessageBox& box : boxes) {
        EXPECT_EQ(box.text, "Are you sure to clear the selected items?");
        EXPECT_EQ(box.caption, "Nodescout");
        EXPECT_EQ(box.type, 0x44u);
    }
}

TEST_F(NodescoutDlgTest, DoubleClickEditsTheFirstSelectedRowWhichKeepsItsSequenceNumber) {
    Run(
        [](CNodescoutDlg& dlg) {
            AddThreeRows(dlg);
            CListCtrl& list = ListOf(dlg);
            auto doubleClick = [&](int nItem) {
                NMITEMACTIVATE activate;
                activate.hdr = NMHDR{IDC_LIST, NM_DBLCLK};
                activate.iItem = nItem;
                return dlg.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&activate));
            };

            // Rows 1 and 2 selected, row 2 double-clicked: row 1 is edited.
            Select(list, {1, 2});
            UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& info) {
                EXPECT_EQ(TextOf(info, IDC_INFO_INDEX), "2");
                EXPECT_EQ(TextOf(info, IDC_INFO_IP), "198.18.0.3");
                EXPECT_EQ(TextOf(info, IDC_INFO_MAC), kMacB);
                EXPECT_EQ(TextOf(info, IDC_INFO_NAME), "BETA");
                info.SetDlgItemText(IDC_INFO_INDEX, "abc");
                info.SetDlgItemText(IDC_INFO_NAME, "RENAMED");
            });
            EXPECT_EQ(doubleClick(2), 0);
            EXPECT_EQ(RowsOf(list)[1], (Row{"abc", "198.18.0.3", kMacB, "RENAMED"}));
            EXPECT_EQ(list.GetItemData(1), 1u);
            // The next sighting writes the number from the kept sequence number.
            dlg.AddOrUpdateRow("198.18.0.3", kMacB, "");
            EXPECT_EQ(list.GetItemText(1, 0), "+2");

            UiTestSeam::QueueModalAnswer(
                IDCANCEL, [](CDialog& info) { info.SetDlgItemText(IDC_INFO_IP, "changed"); });
            doubleClick(1);
            EXPECT_EQ(list.GetItemText(1, 1), "198.18.0.3");

            // With no row selected, a real double-click opens nothing.
            Select(list, {});
            auto* tree = dynamic_cast<QTreeWidget*>(list.GetQtWidget());
            QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                               QPoint(5, tree->viewport()->height() - 3));
        },
        IDOK);
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{102, 107, 107}));
}

TEST_F(NodescoutDlgTest, WakeOnLanSendsForEachSelectedRowAndNamesTheMacsThatDidNotGoOut) {
    m_wakeOnLanAnswers = {{"not-a-mac", kWakeOnLanRefused}, {kMacC, kWakeOnLanNotSent}};
    Run(
        [&](CNodescoutDlg& dlg) {
            AddThreeRows(dlg);
            CListCtrl& list = ListOf(dlg);
            list.SetItemText(1, 2, "not-a-mac");

            Select(list, {});
            ButtonOf(dlg, IDC_WAKE_ON_LAN).Click();
            EXPECT_TRUE(m_woken.empty());

            Select(list, {0});
            UiTestSeam::QueueMessageBoxAnswer(IDOK);
            ButtonOf(dlg, IDC_WAKE_ON_LAN).Click();

            Select(list, {2, 0, 1});
            UiTestSeam::QueueMessageBoxAnswer(IDOK);
            ButtonOf(dlg, IDC_WAKE_ON_LAN).Click();
        },
        IDOK);
    EXPECT_EQ(m_woken, (std::vector<std::string>{kMacA, kMacA, "not-a-mac", kMacC}));
    EXPECT_EQ(m_wokenAt,
              (std::vector<std::string>{"198.18.0.2", "198.18.0.2", "198.18.0.3", "198.18.0.4"}));
    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u) << "no row selected: no message";
    EXPECT_EQ(boxes[0].text, "Wake On Lan Accomplished.");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONINFORMATION);
    EXPECT_EQ(boxes[1].text, "Wake On Lan not accomplished for every selected row.\n"
                             "No MAC address (nothing sent): \"not-a-mac\"\n"
                             "Could not be sent: \"020000000004\"");
    EXPECT_EQ(boxes[1].type, MB_OK | MB_ICONEXCLAMATION);
}

// The tip a hover over a row shows, once the registry and the resolver have
// answered (the first hovers may come before them).
std::string SettledTipOf(CListCtrl& list, int row, int column, const std::string& expectedStart) {
    auto* tree = dynamic_cast<QTreeWidget*>(list.GetQtWidget());
    const QPoint where(tree->header()->sectionViewportPosition(column) + 5,
                       tree->visualItemRect(tree->topLevelItem(row)).center().y());
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    std::string tip;
    do {
        QHelpEvent hover(QEvent::ToolTip, where, tree->viewport()->mapToGlobal(where));
        QApplication::sendEvent(tree->viewport(), &hover);
        tip = QToolTip::text().toStdString();
        QTest::qWait(20);
    } while ((tip.rfind(expectedStart, 0) != 0 || tip.find("looking up") != std::string::npos) &&
             std::chrono::steady_clock::now() < deadline);
    return tip;
}

TEST_F(NodescoutDlgTest, RowTipsNameTheMakerAndTheHostElseShowTheCutCell) {
    test::ScopedEnvironment environment;
    environment.Set("NODESCOUT_OUI_FILE", NODESCOUT_TEST_DATA_DIR "/oui-sample.txt");
    const std::string longName(80, 'N');
    Run(
        [&](CNodescoutDlg& dlg) {
            dlg.AddOrUpdateRow("127.0.0.1", "001b21aabbcc", "LOCAL");
            dlg.AddOrUpdateRow("no address", "0a1b21aabbcc", "");
            dlg.AddOrUpdateRow("no address", "00aa00112233", longName.c_str());
            CListCtrl& list = ListOf(dlg);
            EXPECT_EQ(SettledTipOf(list, 0, kNumberColumn, "Maker: Intel Corporate\nHost name: "),
                      "Maker: Intel Corporate\nHost name: " +
                          ReverseLookup(inet_addr("127.0.0.1")));
            EXPECT_EQ(SettledTipOf(list, 1, kNumberColumn, "Maker: "),
                      "Maker: locally administered address");
            EXPECT_EQ(SettledTipOf(list, 2, kNameColumn, longName), longName) << "nothing to tell";
        },
        IDOK);
    EXPECT_EQ(m_dir.Read("Default.txt").find("Maker"), std::string::npos) << "tips are not saved";
}

TEST_F(NodescoutDlgTest, AboutOpensFromTheSystemMenuStandIn) {
    Run(
        [](CNodescoutDlg& dlg) {
            const CMenu* menu = dlg.GetSystemMenu(FALSE);
            ASSERT_NE(menu, nullptr);
            const auto& items = menu->Items();
            ASSERT_GE(items.size(), 2u);
            EXPECT_EQ(items[items.size() - 2].flags, MF_SEPARATOR);
            EXPECT_EQ(items.back().id, IDM_ABOUTBOX);
            EXPECT_EQ(items.back().text, "&About Nodescout...");

            // The stand-in for the system menu: a right click on the background.
            QMenu* popup = test::RightClickAt(dlg, QPoint(3, 3));
            ASSERT_NE(popup, nullptr);
            QAction* about = popup->actions().back();
            EXPECT_EQ(about->text().toStdString(), "&About Nodescout...");
            popup->close();
            UiTestSeam::QueueModalAnswer(IDOK);
            about->trigger();
        },
        IDOK);
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{102, 100}));
}

// ------------------------------------------------------------ the way out

TEST_F(NodescoutDlgTest, ExitQuestionNoKeepsEverythingRunningYesStopsTheAutoScanAndSaves) {
    std::atomic<int> ticks{0};
    std::atomic<bool> ended{false};
    const INT_PTR result = Run([&](CNodescoutDlg& dlg) {
        dlg.AddOrUpdateRow("198.18.0.2", kMacA, "ALPHA");
        ASSERT_TRUE(dlg.StartAutoScanWorker([&] {
            while (SleepUnlessStopped(std::chrono::milliseconds(2))) {
                ++ticks;
            }
            ended = true;
        }));

        UiTestSeam::QueueMessageBoxAnswer(IDNO);
        test::PressKey(test::FocusOf(dlg), Qt::Key_Escape);
        ASSERT_NE(dlg.GetSafeHwnd(), nullptr) << "No keeps the window";
        const int before = ticks;
        EXPECT_TRUE(test::ProcessEventsUntil([&] { return ticks > before + 3; }))
            << "No keeps the auto-scan worker running";
        EXPECT_FALSE(ended);

        // The close box (Close in the system menu) asks the same question.
        UiTestSeam::QueueMessageBoxAnswer(IDYES);
        dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE);
        EXPECT_TRUE(ended) << "Yes stops the auto-scan worker before the window goes";
    });
    EXPECT_EQ(result, IDCANCEL);
    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Are you sure to exit?");
    EXPECT_EQ(boxes[1].type, 0x44u);
    EXPECT_EQ(m_dir.Read("Default.txt"), std::string("1\t198.18.0.2\t") + kMacA + "\tALPHA\r\n");
    EXPECT_NE(m_dir.Read("Scout.ini").find("Interval=10"), std::string::npos);
}

TEST_F(NodescoutDlgTest, EnterEndsTheAutoScanWorkerBeforeTheWindowGoes) {
    std::atomic<bool> ended{false};
    Run([&](CNodescoutDlg& dlg) {
        ASSERT_TRUE(dlg.StartAutoScanWorker([&] {
            while (SleepUnlessStopped(std::chrono::milliseconds(2))) {
            }
            ended = true;
        }));
        PressEnter(dlg);
    });
    EXPECT_TRUE(ended);
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty());
}

// ------------------------------------------------------------ the shared fields

// A worker reading while the UI thread rewrites: every read is one whole
// value, never part of the old and part of the new.
TEST(NodescoutDlgFields, AreReadWholeWhileAnotherThreadRewritesThem) {
    CNodescoutDlg dlg;
    const std::string as(1023, 'a');
    const std::string bs(1023, 'b');
    RangeTable aTable;
    RangeTable bTable;
    for (int i = 0; i < kMaxRanges; ++i) {
        aTable[static_cast<std::size_t>(i)] = {Text(as), Text(as)};
        bTable[static_cast<std::size_t>(i)] = {Text(bs), Text(bs)};
    }
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::thread reader([&] {
        const auto whole = [&](std::string_view text) {
            return text.empty() || text == as || text == bs;
        };
        while (!done) {
            const Text ip1 = dlg.GetIP1();
            const IpRange range = dlg.GetRange(3);
            const int count = dlg.GetRangeCount();
            if (!whole(ip1.View()) || !whole(range.start.View()) ||
                range.start.View() != range.end.View() ||
                (count != 0 && count != 100 && count != 7)) {
                ++torn;
            }
        }
    });
    for (int i = 0; i < 3000; ++i) {
        const bool a = i % 2 == 0;
        dlg.SetIP1(a ? as : bs);
        dlg.SetRanges(a ? aTable : bTable, a ? 100 : 7);
    }
    done = true;
    reader.join();
    EXPECT_EQ(torn, 0);

    dlg.SetRanges(aTable, 250);
    EXPECT_EQ(dlg.GetRangeCount(), 100) << "the table holds 100";
    dlg.SetMac("00-a0-c9-12-34-56-78");
    EXPECT_EQ(dlg.GetMac().View(), "00-a0-c9-12-34-56") << "cut to its 17 characters";
}

// "Export": the two files byte for byte, in the list's current order, and
// the folder (never the file) handed to the desktop's opener.
class ExportTest : public NodescoutDlgTest {
protected:
    void SetUp() override {
        NodescoutDlgTest::SetUp();
        m_previousOpener = SetShellOpenFunction([this](const std::string& target, int show) {
            m_opened.push_back(target + " " + std::to_string(show));
            return 42;
        });
    }
    void TearDown() override {
        SetShellOpenFunction(m_previousOpener);
        NodescoutDlgTest::TearDown();
    }

    // Presses "Export" and answers the format dialog; bExcel clicks "Excel File".
    static void Export(CNodescoutDlg& dlg, int nCommand, bool bExcel = false) {
        UiTestSeam::QueueModalAnswer(nCommand, [bExcel](CDialog& format) {
            if (bExcel) {
                ButtonOf(format, IDC_EXCEL_FILE).Click();
            }
        });
        ButtonOf(dlg, IDC_EXPORT).Click();
    }

    ShellOpenFunction m_previousOpener;
    std::vector<std::string> m_opened;
};

TEST_F(ExportTest, WritesBothFormatsByteForByteAndOpensTheFolder) {
    Run(
        [&](CNodescoutDlg& dlg) {
            Export(dlg, IDOK); // OK without a click: the text file
            EXPECT_EQ(m_dir.Read("NetInfo.txt"), "") << "an empty list gives an empty file";

            dlg.AddOrUpdateRow("192.168.0.5", "001122aabbcc", "HOST1");
            dlg.AddOrUpdateRow("192.168.0.9", "00e0a1b2c3d4", "");
            dlg.AddOrUpdateRow("192.168.0.7", "00e0a1b2c3d5", "a,b\tc");
            // Sorted by address: the files follow the list's current order.
            NMLISTVIEW click{};
            click.hdr.idFrom = IDC_LIST;
            click.hdr.code = LVN_COLUMNCLICK;
            click.iSubItem = 1;
            dlg.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&click));

            Export(dlg, IDOK, true);
            Export(dlg, IDOK);
            Export(dlg, IDCANCEL, true);
        },
        IDOK);
    EXPECT_EQ(m_dir.Read("NetInfo.csv"), "1,192.168.0.5,001122aabbcc,HOST1\r\n"
                                         "3,192.168.0.7,00e0a1b2c3d5,a,b\tc\r\n"
                                         "2,192.168.0.9,00e0a1b2c3d4,\r\n");
    EXPECT_EQ(m_dir.Read("NetInfo.txt"), "1\t192.168.0.5\t001122aabbcc\tHOST1\r\n"
                                         "3\t192.168.0.7\t00e0a1b2c3d5\ta,b\tc\r\n"
                                         "2\t192.168.0.9\t00e0a1b2c3d4\t\r\n");
    const std::string folder = m_dir.Path().string() + " 5";
    EXPECT_EQ(m_opened, (std::vector<std::string>{folder, folder, folder}))
        << "Cancel opens nothing";
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty());
}

// Texts are single bytes kept as they came: a saved list whose names and
// addresses hold every byte from 0x80 to 0xFF comes back byte for byte (an
// address that is not one sorts last, where this one stands)
// through the window, a sort, the export and the save at exit, and the
// window shows each byte as its Windows-1252 character.
TEST_F(ExportTest, KeepsEveryByteOfTheSavedListAndShowsItsWindows1252Character) {
    std::string saved;
    for (int row = 0; row < 8; ++row) {
        std::string name;
        for (int byte = 0x80 + row * 16; byte < 0x90 + row * 16; ++byte) {
            name += static_cast<char>(byte);
        }
        const std::string address = "198.18.0." + std::to_string(row + 2);
        saved += std::to_string(row + 1) + "\t" + address + (row == 7 ? name : "") +
                 "\t02000000000" + std::to_string(row) + "\t" + name + "\r\n";
    }
    m_dir.Write("Default.txt", saved);
    Run(
        [&](CNodescoutDlg& dlg) {
            auto* tree = dynamic_cast<QTreeWidget*>(ListOf(dlg).GetQtWidget());
            ASSERT_NE(tree, nullptr);
            // 0x80 is the euro sign, 0x81 (unassigned) its C1 control, 0x9A s with caron.
            const QString shown = tree->topLevelItem(0)->text(3);
            EXPECT_EQ(shown.at(0), QChar(0x20AC));
            EXPECT_EQ(shown.at(1), QChar(0x0081));
            EXPECT_EQ(tree->topLevelItem(1)->text(3).at(10), QChar(0x0161));
            NMLISTVIEW click{};
            click.hdr.idFrom = IDC_LIST;
            click.hdr.code = LVN_COLUMNCLICK;
            click.iSubItem = 3;
            dlg.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&click));
            click.iSubItem = 1;
            dlg.SendMessage(WM_NOTIFY, IDC_LIST, reinterpret_cast<LPARAM>(&click));
            Export(dlg, IDOK);
        },
        IDOK);
    EXPECT_EQ(m_dir.Read("NetInfo.txt"), saved);
    EXPECT_EQ(m_dir.Read("Default.txt"), saved);
}

TEST_F(ExportTest, AFileThatCannotBeWrittenIsReportedAndTheFolderStillOpens) {
    // A folder where the file should be: no write gets past it, not even root's.
    const std::string blocked = m_dir.File("NetInfo.csv");
    std::filesystem::create_directory(blocked);
    Run(
        [&](CNodescoutDlg& dlg) {
            dlg.AddOrUpdateRow("192.168.0.5", "001122aabbcc", "HOST1");
            UiTestSeam::QueueMessageBoxAnswer(IDOK);
            Export(dlg, IDOK, true);
        },
        IDOK);
    EXPECT_TRUE(std::filesystem::is_directory(blocked));
    ASSERT_EQ(UiTestSeam::MessageBoxes().size(), 1u);
    const ShownMessageBox box = UiTestSeam::MessageBoxes()[0];
    EXPECT_EQ(box.text.rfind("The export could not be written to " + blocked + ": ", 0), 0u)
        << box.text;
    EXPECT_EQ(box.type, MB_OK | MB_ICONEXCLAMATION);
    EXPECT_EQ(m_opened.size(), 1u);
}

} // namespace
} // namespace nodescout::ui_test
