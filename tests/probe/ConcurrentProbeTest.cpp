// Several threads probing several hosts at once must each get the answer of
// the host they asked: ProbeHost shares nothing between calls. Run under
// ThreadSanitizer in CI.

#include "tests/support/NetLab.h"
#include "tests/support/NodeStatusResponder.h"
#include "tests/support/Probing.h"
#include "tests/support/SuiteLab.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace nodescout::test {
namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 25;
// One second: every answer is in by then.
constexpr int kWaitMicroseconds = 1000;

struct Target {
    const LabHost* host;
    ProbeOutcome expected;
};

class ConcurrentProbes : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            // Two Samba hosts (zero adapter address: the MAC comes from the
            // neighbour table) and two scripted ones, one of which sends an
            // adapter address of its own.
            for (const auto& [address, mac, name] :
                 {std::tuple{"198.18.0.10", "02:4e:53:00:00:10", "SCOUTA"},
                  std::tuple{"198.18.0.11", "02:4e:53:00:00:11", "SCOUTB"}}) {
                const LabHost& host = lab.AddHost(address, mac);
                lab.StartNmbd(host, name);
                s_targets.push_back({&host, {true, host.MacText(), name}});
            }
            const LabHost& scripted = lab.AddHost("198.18.0.12", "02:4e:53:00:00:12");
            s_responders.push_back(std::make_unique<NodeStatusResponder>(
                scripted.netns, scripted.address,
                NodeStatusAnswerBytes(4, "RESPONDC", {0x0a, 0x00, 0x00, 0x00, 0x00, 0x0c})));
            s_targets.push_back({&scripted, {true, "0a000000000c", "RESPONDC"}});
            const LabHost& zero = lab.AddHost("198.18.0.13", "02:4e:53:00:00:13");
            s_responders.push_back(std::make_unique<NodeStatusResponder>(
                zero.netns, zero.address, NodeStatusAnswerBytes(1, "RESPONDD", {})));
            s_targets.push_back({&zero, {true, zero.MacText(), "RESPONDD"}});
        });
    }
    static void TearDownTestSuite() {
        s_responders.clear();
        s_targets.clear();
        s_lab.Reset();
    }

    void SetUp() override { NODESCOUT_REQUIRE_SUITE_LAB(s_lab); }

    static inline SuiteLab s_lab{SuiteLab::Needs::Nmbd};
    static inline std::vector<std::unique_ptr<NodeStatusResponder>> s_responders;
    static inline std::vector<Target> s_targets;
};

TEST_F(ConcurrentProbes, EachThreadGetsTheAnswerOfTheHostItAsked) {

    std::vector<std::vector<std::string>> wrong(kThreads);
    {
        std::vector<std::jthread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([t, &wrong] {
                ScopedNamespace inside(s_lab->ClientNamespace());
                for (int round = 0; round < kRounds; ++round) {
                    // Each thread starts at another host, so that different
                    // hosts are asked at the same moment.
                    const Target& target = s_targets[(t + round) % s_targets.size()];
                    const ProbeOutcome outcome =
                        Probe(target.host->AddressValue(), kWaitMicroseconds);
                    if (!(outcome == target.expected)) {
                        std::ostringstream text;
                        text << target.host->address << " gave " << outcome;
                        wrong[t].push_back(text.str());
                    }
                }
            });
        }
    }
    for (int t = 0; t < kThreads; ++t) {
        EXPECT_TRUE(wrong[t].empty())
            << "thread " << t << ": " << ::testing::PrintToString(wrong[t]);
    }
}

} // namespace
} // namespace nodescout::test
