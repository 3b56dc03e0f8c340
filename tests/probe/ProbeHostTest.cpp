// ProbeHost against real hosts on a private LAN: Samba's nmbd, a host that
// answers ARP but not UDP 137, and silent addresses whose only trace is an
// entry of the neighbour table.

#include "platform/net/Inet.h"
#include "platform/net/NeighbourTable.h"
#include "tests/support/NetLab.h"
#include "tests/support/ProbeWaitSetting.h"
#include "tests/support/Probing.h"
#include "tests/support/SuiteLab.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

namespace nodescout::test {
namespace {

constexpr char kNmbdName[] = "SCOUTHOST1";

class ProbeHostOnLab : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            lab.AddClientBridge("br1", "198.18.1.1/24");
            // Unanswered address resolution gives up after one request and
            // 20 ms instead of three requests a second apart.
            lab.Exec(lab.ClientNamespace(),
                     {"sysctl", "-q", "-w", "net.ipv4.neigh.br0.retrans_time_ms=20",
                      "net.ipv4.neigh.br0.mcast_solicit=1"});
            s_nmbdHost = &lab.AddHost("198.18.0.10", "02:4e:53:00:00:10");
            s_quietHost = &lab.AddHost("198.18.0.11", "02:4e:53:00:00:11");
            lab.StartNmbd(*s_nmbdHost, kNmbdName);
        });
    }
    static void TearDownTestSuite() { s_lab.Reset(); }

    void SetUp() override {
        NODESCOUT_REQUIRE_SUITE_LAB(s_lab);
        m_inside = std::make_unique<ScopedNamespace>(s_lab->ClientNamespace());
    }
    void TearDown() override { m_inside.reset(); }

    static inline SuiteLab s_lab{SuiteLab::Needs::Nmbd};
    static inline const LabHost* s_nmbdHost = nullptr;
    static inline const LabHost* s_quietHost = nullptr;
    std::unique_ptr<ScopedNamespace> m_inside;
};

TEST_F(ProbeHostOnLab, SambaHostGivesItsNameAndTheMacOfItsAdapter) {
    // The wait as the program reads it, from the settings file.
    const ProbeWaitSetting wait(1000);
    // nmbd's answer carries six zero bytes for the adapter; the MAC must
    // come from the neighbour table.
    const ProbeOutcome outcome =
        ProbeUntil([] { return ProbeAsSet(s_nmbdHost->AddressValue()); }, kAnswerAttempts,
                   [](const ProbeOutcome& o) { return !o.name.empty(); });
    EXPECT_EQ(outcome, (ProbeOutcome{true, s_nmbdHost->MacText(), kNmbdName}))
        << s_lab->ShowNeighbours();
}

TEST_F(ProbeHostOnLab, HostWithoutNetBiosGivesTheTableMacAndNoName) {
    // The first probe's own address resolution may not be done when its
    // short wait ends; the next one finds the entry.
    const ProbeOutcome outcome = ProbeUntil(s_quietHost->AddressValue(), 500, 100,
                                            [](const ProbeOutcome& o) { return o.found; });
    EXPECT_EQ(outcome, (ProbeOutcome{true, s_quietHost->MacText(), ""})) << s_lab->ShowNeighbours();
}

TEST_F(ProbeHostOnLab, SilentAddressIsFoundThroughPermanentStaleAndNoarpEntries) {
    const struct {
        const char* state;
        const char* address;
        const char* mac;
    } entries[] = {
        {"permanent", "198.18.0.201", "02:4e:53:00:02:01"},
        {"stale", "198.18.0.202", "02:4e:53:00:02:02"},
        {"noarp", "198.18.0.203", "02:4e:53:00:02:03"},
    };
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.state);
        s_lab->SetNeighbour(entry.address, entry.mac, entry.state);
        const LabHost expected{"", entry.address, entry.mac};
        EXPECT_EQ(Probe(inet_addr(entry.address), 0), (ProbeOutcome{true, expected.MacText(), ""}))
            << s_lab->ShowNeighbours();
    }
}

TEST_F(ProbeHostOnLab, SilentAddressWithFailedOrIncompleteEntryIsNotFound) {
    s_lab->SetNeighbour("198.18.0.204", "02:4e:53:00:02:04", "failed");
    s_lab->SetNeighbour("198.18.0.205", "", "incomplete");
    EXPECT_EQ(Probe(inet_addr("198.18.0.204"), 0), ProbeOutcome{}) << s_lab->ShowNeighbours();
    EXPECT_EQ(Probe(inet_addr("198.18.0.205"), 0), ProbeOutcome{}) << s_lab->ShowNeighbours();
}

// Without any entry made by hand: the probe's own datagram makes the kernel
// resolve the address, which leaves an INCOMPLETE entry and then, with no
// reply, a FAILED one. Neither counts.
TEST_F(ProbeHostOnLab, AbsentHostIsNotFoundWhileAndAfterTheKernelResolvesIt) {
    const char* absent = "198.18.0.210";
    EXPECT_EQ(Probe(inet_addr(absent), 0), ProbeOutcome{});

    std::vector<NeighbourRow> rows;
    ASSERT_FALSE(ReadNeighbourTable(rows));
    const auto row = std::find_if(rows.begin(), rows.end(), [&](const NeighbourRow& r) {
        return r.address == inet_addr(absent);
    });
    ASSERT_NE(row, rows.end()) << "the probe left no entry:\n" << s_lab->ShowNeighbours();
    EXPECT_EQ(row->type, NeighbourType::Invalid);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (s_lab->ShowNeighbours().find(std::string(absent) + " dev br0 FAILED") ==
           std::string::npos) {
        ASSERT_LT(std::chrono::steady_clock::now(), deadline) << s_lab->ShowNeighbours();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(Probe(inet_addr(absent), 0), ProbeOutcome{});
}

// Rows of one address on two interfaces: the first in the table's order
// (lower interface index) gives the MAC, whichever interface the address is
// reached through.
TEST_F(ProbeHostOnLab, FirstRowInTableOrderWinsForAnAddressOnTwoInterfaces) {
    for (const char* address : {"198.18.0.220", "198.18.1.220"}) {
        SCOPED_TRACE(address);
        s_lab->SetNeighbour(address, "02:4e:53:00:0b:01", "permanent", "br1");
        s_lab->SetNeighbour(address, "02:4e:53:00:0b:00", "permanent", "br0");
        EXPECT_EQ(Probe(inet_addr(address), 0), (ProbeOutcome{true, "024e53000b00", ""}))
            << s_lab->ShowNeighbours();
    }
}

} // namespace
} // namespace nodescout::test
