// The main window's walking commands with the real probe, against real hosts
// on a private LAN: Samba's nmbd, a host that answers ARP only, silent
// addresses, and a host that changes its address between two auto-scan
// passes; and "Wake On Lan" with the real sender on two LANs. Needs root;
// skips with the reason without it.

#include "platform/net/Inet.h"
#include "platform/process/AppPaths.h"
#include "probe/ProbeHost.h"
#include "probe/ProbeWait.h"
#include "tests/support/NetLab.h"
#include "tests/support/ProcessEvents.h"
#include "tests/support/ScopedAppFolder.h"
#include "tests/support/SuiteLab.h"
#include "tests/support/TempDir.h"
#include "tests/support/UiTest.h"
#include "tests/support/WakeOnLanCatcher.h"
#include "ui/NodescoutDlg.h"
#include "ui/Resources.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace nodescout::ui_test {
namespace {

using test::CaughtDatagram;
using test::LabHost;
using test::MagicPacketFor;
using test::NetLab;
using test::ProcessEventsUntil;
using test::ScopedAppFolder;
using test::ScopedNamespace;
using test::SuiteLab;
using test::TempDir;
using test::WakeOnLanCatcher;

using Row = std::vector<std::string>;

// The longest wait below a second (the setting's thousands are whole
// seconds): nmbd in the lab mostly answers within a few hundred microseconds,
// and a /24 of mostly silent addresses takes about a quarter of a second.
constexpr int kProbeWaitMicroseconds = 999;

// Long enough for any answer in the lab on a busy machine, where a few in a
// hundred of nmbd's answers take one to ten milliseconds, although it runs
// at a real-time priority. For a walk whose outcome rests on one answer.
constexpr timeval kWaitForEveryAnswer{0, 40000};

// Long enough for a walk of a /24 on a busy machine.
constexpr int kWalkTimeoutMs = 20000;

std::vector<Row> RowsOf(const CWnd& dlg) {
    const CListCtrl& list = ListOf(dlg);
    std::vector<Row> rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        rows.push_back({list.GetItemText(i, 0), list.GetItemText(i, 1), list.GetItemText(i, 2),
                        list.GetItemText(i, 3)});
    }
    return rows;
}

// The real probe with the given wait, used only from inside the lab's client
// namespace (where the window's workers run, having been started from
// there); it also writes down every address probed. A probe from anywhere
// else is refused and counted: it would reach the machine's own network.
class LabProbe {
public:
    // The probes of the addresses in waitForEveryAnswer (dotted) wait
    // kWaitForEveryAnswer instead.
    explicit LabProbe(const NetLab& lab, timeval wait = ProbeWait(kProbeWaitMicroseconds),
                      std::vector<std::string> waitForEveryAnswer = {})
        : m_clientNamespace("/run/netns/" + lab.ClientNamespace()), m_wait(wait),
          m_waitForEveryAnswer(std::move(waitForEveryAnswer)) {}

    CNodescoutDlg::ProbeFunction Function() {
        return [this](std::uint32_t address, MacText& mac, Text& name) {
            if (!InsideTheLab()) {
                ++m_outside;
                return false;
            }
            const std::string dotted = AddressText(address);
            {
                std::lock_guard lock(m_mutex);
                m_probed.push_back(dotted);
            }
            const bool patient = std::find(m_waitForEveryAnswer.begin(), m_waitForEveryAnswer.end(),
                                           dotted) != m_waitForEveryAnswer.end();
            return ProbeHostWithWait(address, mac, name, patient ? kWaitForEveryAnswer : m_wait);
        };
    }

    int Outside() const { return m_outside; }
    std::size_t Count() const {
        std::lock_guard lock(m_mutex);
        return m_probed.size();
    }
    // Whether address was probed as the from-th probe or later.
    bool ProbedSince(std::size_t from, const std::string& address) const {
        std::lock_guard lock(m_mutex);
        return from < m_probed.size() &&
               std::find(m_probed.begin() + static_cast<std::ptrdiff_t>(from), m_probed.end(),
                         address) != m_probed.end();
    }

private:
    std::string m_clientNamespace;
    timeval m_wait;
    std::vector<std::string> m_waitForEveryAnswer;
    std::atomic<int> m_outside{0};
    mutable std::mutex m_mutex;
    std::vector<std::string> m_probed;

    bool InsideTheLab() const {
        struct stat here {};
        struct stat lab {};
        return stat("/proc/thread-self/ns/net", &here) == 0 &&
               stat(m_clientNamespace.c_str(), &lab) == 0 && here.st_dev == lab.st_dev &&
               here.st_ino == lab.st_ino;
    }
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// The window's commands need the program's templates; every dialog and box
// is answered by the test.
class WindowOnLab : public testing::Test {
protected:
    void SetUp() override {
        AfxAddResources(NodescoutResources());
        UiTestSeam::Reset();
    }
    void TearDown() override {
        EXPECT_EQ(UiTestSeam::UnansweredCount(), 0);
        UiTestSeam::Reset();
        AfxRemoveResources(NodescoutResources());
    }

    // Runs the window with body while it is open. Its workers are started
    // from this thread inside the lab's client namespace, and take it along.
    static void Run(CNodescoutDlg& dlg, const NetLab& lab, const std::function<void()>& body) {
        const ScopedNamespace inside(lab.ClientNamespace());
        UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog&) { body(); });
        dlg.DoModal();
    }

    static void WaitForTheWorkers(CNodescoutDlg& dlg) {
        ASSERT_TRUE(ProcessEventsUntil([&] { return dlg.GetWorkers().RunningCount() == 0; },
                                       kWalkTimeoutMs));
    }
};

// One /24: three nmbd hosts, a host without NetBIOS, everything else silent.
class LanOnLab : public WindowOnLab {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            s_hosts.push_back(&lab.AddHost("198.18.0.10", "02:4e:53:00:00:0a"));
            s_hosts.push_back(&lab.AddHost("198.18.0.42", "02:4e:53:00:00:2a"));
            s_hosts.push_back(&lab.AddHost("198.18.0.123", "02:4e:53:00:00:7b"));
            s_hosts.push_back(&lab.AddHost("198.18.0.254", "02:4e:53:00:00:fe"));
            lab.StartNmbd(*s_hosts[0], "SCOUTTEN");
            lab.StartNmbd(*s_hosts[2], "SCOUT123");
            lab.StartNmbd(*s_hosts[3], "SCOUTLAST");
            // The client has met the host without NetBIOS before, as it has
            // met the others: a first address resolution and the refusal
            // that follows may take longer than a walk's wait of under a
            // millisecond on a busy machine.
            lab.WaitForNodeStatus(s_hosts[1]->address, std::chrono::milliseconds(100));
        });
    }
    static void TearDownTestSuite() {
        s_lab.Reset();
        s_hosts.clear();
    }

    void SetUp() override {
        NODESCOUT_REQUIRE_SUITE_LAB(s_lab);
        WindowOnLab::SetUp();
    }

    // Retr All over 198.18.0.0 - 198.18.1.0: the four hosts in address
    // order, the status text at the last address probed.
    static void RetrAllOverTheSlash24(CNodescoutDlg& dlg) {
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& range) {
            range.SetDlgItemText(IDC_IP1, "198.18.0.0");
            range.SetDlgItemText(IDC_IP2, "198.18.1.0");
            ButtonOf(range, IDC_ADD).Click();
        });
        ButtonOf(dlg, IDC_RETR_ALL).Click();
        WaitForTheWorkers(dlg);
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{
                                   {"1", "198.18.0.10", s_hosts[0]->MacText(), "SCOUTTEN"},
                                   {"2", "198.18.0.42", s_hosts[1]->MacText(), ""},
                                   {"3", "198.18.0.123", s_hosts[2]->MacText(), "SCOUT123"},
                                   {"4", "198.18.0.254", s_hosts[3]->MacText(), "SCOUTLAST"},
                               }))
            << s_lab->ShowNeighbours();
        std::string status;
        dlg.GetDlgItem(IDC_STATUS)->GetWindowText(status);
        EXPECT_EQ(status, "198.18.0.255");
    }

    static inline SuiteLab s_lab{SuiteLab::Needs::Nmbd};
    static inline std::vector<const LabHost*> s_hosts;
};

TEST_F(LanOnLab, RetrAllOverTheSlash24FindsEveryHostWithItsMacAndNameInAddressOrder) {
    // Every name must come, so the hosts' own addresses wait for any answer.
    std::vector<std::string> hosts;
    for (const LabHost* host : s_hosts) {
        hosts.push_back(host->address);
    }
    LabProbe probe(*s_lab, ProbeWait(kProbeWaitMicroseconds), hosts);
    CNodescoutDlg dlg;
    dlg.SetProbeFunction(probe.Function());
    Run(dlg, *s_lab, [&] { RetrAllOverTheSlash24(dlg); });
    EXPECT_EQ(probe.Count(), 256u);
    EXPECT_EQ(probe.Outside(), 0);
}

// The same walk with 256 probes in flight through the real UDP probes: the
// window's probe function is not used, the list and status come out the same.
TEST_F(LanOnLab, RetrAllWithParallelProbesGivesTheSameList) {
    const TempDir folder;
    folder.Write("Scout.ini", "[Profile]\nParallelProbes=256\nTimeOutMilliseconds=100\n");
    const ScopedAppFolder appFolder(folder.Path().string());
    LabProbe probe(*s_lab);
    CNodescoutDlg dlg;
    dlg.SetProbeFunction(probe.Function());
    Run(dlg, *s_lab, [&] { RetrAllOverTheSlash24(dlg); });
    EXPECT_EQ(probe.Count(), 0u);
}

TEST_F(LanOnLab, MacToIpFindsAHostWithoutNetBiosByItsMac) {
    const LabHost& arpOnly = *s_hosts[1];
    LabProbe probe(*s_lab);
    CNodescoutDlg dlg;
    dlg.SetProbeFunction(probe.Function());
    Run(dlg, *s_lab, [&] {
        UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& find) {
            find.SetDlgItemText(IDC_IP1, "198.18.0.2");
            find.SetDlgItemText(IDC_IP2, "198.18.0.99");
            find.SetDlgItemText(IDC_MAC, Upper(arpOnly.MacText()));
        });
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        ButtonOf(dlg, IDC_MAC_TO_IP).Click();
        WaitForTheWorkers(dlg);
        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.0.42", arpOnly.MacText(), ""}}));
    });
    EXPECT_EQ(probe.Outside(), 0);
    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Congratulations. Get it: " + arpOnly.MacText() + " - 198.18.0.42");
}

// A LAN of its own: its one host moves.
class MovingHostOnLab : public WindowOnLab {
protected:
    void SetUp() override {
        NODESCOUT_SKIP_WITHOUT_NMBD();
        WindowOnLab::SetUp();
    }
};

TEST_F(MovingHostOnLab, AutoScanMarksTheRowOfAHostThatMovedAndKeepsItsName) {
    NetLab lab("198.18.0.1/24");
    const LabHost& mover = lab.AddHost("198.18.0.60", "02:4e:53:00:00:3c");
    lab.StartNmbd(mover, "MOVER");

    // A row keeps the name of its first sighting, so the first pass must
    // have nmbd's answer; a pass over the eight addresses still ends well
    // within the pause.
    LabProbe probe(lab, kWaitForEveryAnswer);
    CNodescoutDlg dlg;
    dlg.SetProbeFunction(probe.Function());
    Run(dlg, lab, [&] {
        // Passes over .58 up to .65, a second apart.
        UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& options) {
            options.SetDlgItemText(IDC_IP1, "198.18.0.58");
            options.SetDlgItemText(IDC_IP2, "198.18.0.66");
            options.SetDlgItemText(IDC_INTERVAL, "1");
        });
        ButtonOf(dlg, IDC_AUTO_SCAN).Click();
        ASSERT_TRUE(ProcessEventsUntil([&] { return probe.ProbedSince(0, "198.18.0.65"); },
                                       kWalkTimeoutMs));
        const std::size_t firstPass = probe.Count();
        ASSERT_EQ(RowsOf(dlg), (std::vector<Row>{{"1", "198.18.0.60", mover.MacText(), "MOVER"}}))
            << lab.ShowNeighbours();

        // In the pause: the host takes .64, and the client forgets where
        // .60 was (a real LAN forgets it a little later).
        lab.Exec(mover.netns, {"ip", "address", "del", "198.18.0.60/24", "dev", "eth0"});
        lab.Exec(mover.netns, {"ip", "address", "add", "198.18.0.64/24", "dev", "eth0"});
        lab.RunBatchInClient({"neigh del 198.18.0.60 dev br0"});
        ASSERT_EQ(probe.Count(), firstPass) << "the next pass began before the host had moved";
        // The first pass after the move marks the row, unless the host's
        // first address resolution took longer than the wait; then the next.
        ASSERT_TRUE(ProcessEventsUntil([&] { return RowsOf(dlg).front()[1] == "198.18.0.64"; },
                                       kWalkTimeoutMs))
            << lab.ShowNeighbours();
        ButtonOf(dlg, IDC_AUTO_SCAN).Click();

        EXPECT_EQ(RowsOf(dlg), (std::vector<Row>{{"-1", "198.18.0.64", mover.MacText(), "MOVER"}}))
            << lab.ShowNeighbours();
    });
    EXPECT_EQ(probe.Outside(), 0);
}

// Two LANs and no default route, as on a machine with two networks and no
// way out: the limited broadcast address has no route, so a row's packet
// reaches it only by its own LAN's broadcast address.
class TwoLansOnLab : public WindowOnLab {
protected:
    void SetUp() override {
        NODESCOUT_SKIP_WITHOUT_NETLAB();
        WindowOnLab::SetUp();
    }

    static void Select(CNodescoutDlg& dlg, const std::vector<int>& rows) {
        auto* tree = dynamic_cast<QTreeWidget*>(dlg.GetDlgItem(IDC_LIST)->GetQtWidget());
        tree->clearSelection();
        for (const int row : rows) {
            tree->topLevelItem(row)->setSelected(true);
        }
    }
};

TEST_F(TwoLansOnLab, WakeOnLanSendsEachRowsPacketToTheBroadcastAddressOfItsOwnLan) {
    NetLab lab("198.18.0.1/24");
    lab.AddHost("198.18.0.10", "02:4e:53:00:00:10"); // gives br0 a link
    const int firstLan = lab.ClientInterfaceIndex("br0");
    const int secondLan = lab.AddClientBridge("br1", "198.19.0.1/24");
    WakeOnLanCatcher catcher(lab.ClientNamespace());

    CNodescoutDlg dlg; // with the real sender
    Run(dlg, lab, [&] {
        dlg.AddOrUpdateRow("198.19.0.77", "0200000000aa", "");
        dlg.AddOrUpdateRow("198.18.0.10", "0200000000bb", "");
        dlg.AddOrUpdateRow("198.18.5.5", "0200000000cc", ""); // on neither LAN
        dlg.AddOrUpdateRow("host.lan", "0200000000dd", "");   // no dotted address
        Select(dlg, {0, 1});
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        ButtonOf(dlg, IDC_WAKE_ON_LAN).Click();
        Select(dlg, {2, 3});
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        ButtonOf(dlg, IDC_WAKE_ON_LAN).Click();
    });

    const CaughtDatagram second = catcher.Next();
    EXPECT_EQ(second.bytes, MagicPacketFor({0x02, 0, 0, 0, 0, 0xaa}));
    EXPECT_EQ(second.destination, "198.19.0.255");
    EXPECT_EQ(second.interfaceIndex, secondLan);
    const CaughtDatagram first = catcher.Next();
    EXPECT_EQ(first.bytes, MagicPacketFor({0x02, 0, 0, 0, 0, 0xbb}));
    EXPECT_EQ(first.destination, "198.18.0.255");
    EXPECT_EQ(first.interfaceIndex, firstLan);
    EXPECT_TRUE(catcher.Next(timeval{0, 200000}).bytes.empty())
        << "the other rows have only the limited broadcast address, which has no route";

    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "Wake On Lan Accomplished.");
    EXPECT_EQ(boxes[1].text, "Wake On Lan not accomplished for every selected row.\n"
                             "Could not be sent: \"0200000000cc\", \"0200000000dd\"");
}

} // namespace
} // namespace nodescout::ui_test
