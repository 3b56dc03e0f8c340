// ProbeHost against hosts that answer node status late, as Wi-Fi clients
// and busy machines do: a wait of TimeOutMilliseconds=100 gets the name of a
// host answering after 2 to 50 ms; the default wait of 500 us gives up
// before any of them answers and takes the MAC from the neighbour table,
// without a name.

#include "tests/support/NetLab.h"
#include "tests/support/ProbeWaitSetting.h"
#include "tests/support/Probing.h"
#include "tests/support/SuiteLab.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <memory>
#include <string>

namespace nodescout::test {
namespace {

struct LateHost {
    int delayMilliseconds;
    const char* address;
    const char* mac;
    const char* name;
};

// The first, third and fifth send the six zero bytes of Samba for their
// adapter, the others their own MAC; the probe gives the host's MAC either way.
constexpr std::array kLateHosts = {
    LateHost{2, "198.18.0.32", "02:4e:53:00:00:32", "LATE2MS"},
    LateHost{5, "198.18.0.35", "02:4e:53:00:00:35", "LATE5MS"},
    LateHost{10, "198.18.0.40", "02:4e:53:00:00:40", "LATE10MS"},
    LateHost{20, "198.18.0.50", "02:4e:53:00:00:50", "LATE20MS"},
    LateHost{50, "198.18.0.80", "02:4e:53:00:00:80", "LATE50MS"},
};

// Probes take at most 100 ms here, so a few more tries than elsewhere cost
// little and make a hiccup on every one of them very unlikely.
constexpr int kAttempts = 5;

class LateAnswer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            for (std::size_t i = 0; i < kLateHosts.size(); ++i) {
                const LateHost& late = kLateHosts[i];
                s_hosts[i] = &lab.AddHost(late.address, late.mac);
                lab.StartLateResponder(*s_hosts[i], late.name,
                                       std::chrono::milliseconds(late.delayMilliseconds),
                                       i % 2 == 0 ? "zero" : late.mac);
            }
        });
    }
    static void TearDownTestSuite() { s_lab.Reset(); }

    void SetUp() override {
        NODESCOUT_REQUIRE_SUITE_LAB(s_lab);
        m_inside = std::make_unique<ScopedNamespace>(s_lab->ClientNamespace());
    }
    void TearDown() override { m_inside.reset(); }

    static inline SuiteLab s_lab{SuiteLab::Needs::Namespaces};
    static inline std::array<const LabHost*, kLateHosts.size()> s_hosts{};
    std::unique_ptr<ScopedNamespace> m_inside;
};

TEST_F(LateAnswer, WaitInMillisecondsGetsTheNameThatTheDefaultWaitMisses) {
    const struct {
        const char* profileLines;
        bool getsName;
    } waits[] = {
        {"TimeOutMilliseconds=100\n", true}, {"", false}, // TimeOutMicroseconds=500
    };
    for (const auto& wait : waits) {
        const ProbeWaitSetting setting(wait.profileLines);
        for (std::size_t i = 0; i < kLateHosts.size(); ++i) {
            SCOPED_TRACE(std::string(wait.profileLines) + " host answering after " +
                         std::to_string(kLateHosts[i].delayMilliseconds) + " ms");
            const LabHost& host = *s_hosts[i];
            // A retry only rides out a hiccup of a busy machine: the first
            // probe's own address resolution, an answer held up past 100 ms,
            // or a probe that lost the processor for milliseconds between its
            // send and its wait, so that even a 500 us wait found the answer
            // already there.
            const ProbeOutcome outcome =
                ProbeUntil([&] { return ProbeAsSet(host.AddressValue()); }, kAttempts,
                           [&](const ProbeOutcome& o) {
                               return o.mac == host.MacText() && o.name.empty() != wait.getsName;
                           });
            EXPECT_EQ(outcome,
                      (ProbeOutcome{true, host.MacText(), wait.getsName ? kLateHosts[i].name : ""}))
                << s_lab->ShowNeighbours();
        }
    }
}

} // namespace
} // namespace nodescout::test
