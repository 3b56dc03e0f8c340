// The overlapped range walks with the real probes (probe/UdpProbeWindow.h)
// against a private LAN of Samba hosts, a scripted host with an adapter
// address of its own, a host without NetBIOS and silent addresses: they must
// send the same events, in the same order, as the one-at-a-time walk with
// the same wait. Needs root and nmbd; skips without them.

#include "platform/net/Inet.h"
#include "platform/net/UdpSocket.h"
#include "probe/AddressWalk.h"
#include "probe/ProbeHost.h"
#include "probe/UdpProbeWindow.h"
#include "tests/probe/RecordingWalkOwner.h"
#include "tests/support/NetLab.h"
#include "tests/support/NodeStatusResponder.h"
#include "tests/support/SuiteLab.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace nodescout::test {
namespace {

using Log = std::vector<std::string>;

// Long enough for any answer in the lab on a busy machine, short enough for
// the one-at-a-time walk over the ranges below to take a few seconds.
constexpr timeval kWait{0, 40000};

// Writes down every event; probes one at a time with the wait, or through a
// UDP window of `parallel` probes.
class LabOwner : public RecordingWalkOwner {
public:
    explicit LabOwner(std::size_t parallel) : m_parallel(parallel) {}

    void Probe(std::uint32_t address, MacText& macText, Text& computerName) override {
        ProbeHostWithWait(address, macText, computerName, kWait);
    }
    bool StopRequested() override { return false; }
    bool Pause(int) override { return true; }
    std::unique_ptr<ProbeWindow> OpenProbeWindow() override {
        return m_parallel > 1 ? MakeUdpProbeWindow(m_parallel, kWait) : nullptr;
    }

private:
    std::size_t m_parallel;
};

class Ranges : public RangeSource {
public:
    int RangeCount() override { return 2; }
    Text RangeStart(int index) override { return Text(index == 0 ? "198.18.0.1" : "198.18.0.118"); }
    Text RangeEnd(int index) override { return Text(index == 0 ? "198.18.0.52" : "198.18.0.128"); }
};

class OverlappedWalkOnLab : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            const LabHost& ten = lab.AddHost("198.18.0.10", "02:4e:53:00:00:0a");
            const LabHost& arpOnly = lab.AddHost("198.18.0.42", "02:4e:53:00:00:2a");
            const LabHost& scripted = lab.AddHost("198.18.0.43", "02:4e:53:00:00:2b");
            const LabHost& last = lab.AddHost("198.18.0.123", "02:4e:53:00:00:7b");
            lab.StartNmbd(ten, "SCOUTTEN");
            lab.StartNmbd(last, "SCOUT123");
            s_responder = std::make_unique<NodeStatusResponder>(
                scripted.netns, scripted.address,
                NodeStatusAnswerBytes(3, "SCRIPTED", {0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f}));
            s_elsewhere = &lab.AddHost("198.18.0.70", "02:4e:53:00:00:46");
            lab.Exec(s_elsewhere->netns, {"ip", "address", "add", "198.18.0.71/24", "dev", "eth0"});
            // Resolved once, so that no first resolution outlasts a wait.
            for (const LabHost* host : {&ten, &arpOnly, &scripted, &last}) {
                lab.WaitForNodeStatus(host->address, std::chrono::milliseconds(200));
            }
        });
    }
    static void TearDownTestSuite() {
        s_responder.reset();
        s_lab.Reset();
    }
    void SetUp() override { NODESCOUT_REQUIRE_SUITE_LAB(s_lab); }

    static Log Walk(std::size_t parallel) {
        const ScopedNamespace inside(s_lab->ClientNamespace());
        LabOwner owner(parallel);
        Ranges ranges;
        ScanAllRanges(owner, ranges);
        return owner.log;
    }

    static inline SuiteLab s_lab{SuiteLab::Needs::Nmbd};
    static inline std::unique_ptr<NodeStatusResponder> s_responder;
    static inline const LabHost* s_elsewhere = nullptr;
};

Log RowsIn(const Log& log) {
    Log rows;
    for (const std::string& entry : log) {
        if (entry.rfind("row ", 0) == 0) {
            rows.push_back(entry);
        }
    }
    return rows;
}

TEST_F(OverlappedWalkOnLab, GivesTheEventsOfTheOneAtATimeWalk) {
    const Log single = Walk(1);
    const auto start = std::chrono::steady_clock::now();
    const Log overlapped = Walk(64);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_EQ(
        RowsIn(single),
        (Log{"row 198.18.0.10 024e5300000a SCOUTTEN", "row 198.18.0.42 024e5300002a ",
             "row 198.18.0.43 0a0b0c0d0e0f SCRIPTED", "row 198.18.0.123 024e5300007b SCOUT123"}))
        << s_lab->ShowNeighbours();
    EXPECT_EQ(overlapped, single) << s_lab->ShowNeighbours();
    // 61 addresses: about 2.4 s one at a time, well under a second here.
    EXPECT_LT(took, std::chrono::milliseconds(1500));
}

TEST_F(OverlappedWalkOnLab, MacSearchFindsTheFirstMatchAsTheOneAtATimeSearch) {
    const ScopedNamespace inside(s_lab->ClientNamespace());
    for (const char* wanted : {"024E5300002A", "0a0b0c0d0e0f", "020000000000"}) {
        LabOwner single(1);
        LabOwner overlapped(32);
        const auto singleMessage =
            SearchMac(single, Text("198.18.0.2"), Text("198.18.0.60"), MacText(wanted));
        const auto message =
            SearchMac(overlapped, Text("198.18.0.2"), Text("198.18.0.60"), MacText(wanted));
        ASSERT_TRUE(singleMessage && message);
        EXPECT_EQ(message->View(), singleMessage->View()) << wanted;
        EXPECT_EQ(overlapped.log, single.log) << wanted;
    }
}

// A host that takes requests on one address and answers from another: the
// one-at-a-time probe takes any datagram, the overlapped walk only one from
// the address probed, and so finds the MAC without a name.
TEST_F(OverlappedWalkOnLab, AnAnswerFromAnotherAddressDoesNotCount) {
    std::atomic<bool> stop{false};
    std::atomic<bool> ready{false};
    std::jthread answerer([&] {
        const ScopedNamespace inside(s_elsewhere->netns);
        UdpSocket requests;
        UdpSocket replies;
        EXPECT_FALSE(requests.Bind(inet_addr("198.18.0.70"), htons(137)));
        EXPECT_FALSE(replies.Bind(inet_addr("198.18.0.71"), 0));
        const auto answer = NodeStatusAnswerBytes(1, "ELSEWHERE", {});
        ready = true;
        std::uint8_t buffer[1024];
        while (!stop) {
            std::uint32_t sender = 0;
            std::uint16_t port = 0;
            if (requests.WaitReadable(timeval{0, 10000}) == WaitResult::Readable &&
                requests.ReceiveFrom(buffer, sender, port).Succeeded()) {
                replies.SendTo(answer, sender, port);
            }
        }
    });
    while (!ready) {
        std::this_thread::yield();
    }
    const ScopedNamespace inside(s_lab->ClientNamespace());
    MacText mac;
    Text name;
    for (int attempt = 0; attempt < 5 && name.IsEmpty(); ++attempt) {
        ProbeHostWithWait(s_elsewhere->AddressValue(), mac, name, timeval{0, 200000});
    }
    EXPECT_EQ(name.View(), "ELSEWHERE") << "the one-at-a-time probe takes the answer";

    LabOwner overlapped(8);
    SearchMac(overlapped, Text("198.18.0.69"), Text("198.18.0.70"), MacText(mac.c_str()));
    EXPECT_EQ(RowsIn(overlapped.log), Log{"row 198.18.0.70 " + s_elsewhere->MacText() + " "});
    stop = true;
}

} // namespace
} // namespace nodescout::test
