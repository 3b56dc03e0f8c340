// ProbeHost against answers that Samba never sends, from a responder of our
// own on a host of the private LAN: no names, datagrams cut short, an adapter
// address of its own, and name counts that put the adapter address beyond the
// 4096 bytes that a probe receives.

#include "tests/support/NetLab.h"
#include "tests/support/NodeStatusResponder.h"
#include "tests/support/Probing.h"
#include "tests/support/SuiteLab.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace nodescout::test {
namespace {

const AdapterAddress kScriptedAdapter = {0x0a, 0x0b, 0x0c, 0x0d, 0x0e, 0x0f};
constexpr char kScriptedMacText[] = "0a0b0c0d0e0f";
const AdapterAddress kZeroAdapter = {};

class ScriptedAnswer : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_lab.Build([](NetLab& lab) {
            s_host = &lab.AddHost("198.18.0.20", "02:4e:53:00:00:20");
            s_responder = std::make_unique<NodeStatusResponder>(s_host->netns, s_host->address,
                                                                std::vector<std::uint8_t>{});
        });
    }
    static void TearDownTestSuite() {
        s_responder.reset();
        s_lab.Reset();
    }

    void SetUp() override {
        NODESCOUT_REQUIRE_SUITE_LAB(s_lab);
        m_inside = std::make_unique<ScopedNamespace>(s_lab->ClientNamespace());
    }
    void TearDown() override { m_inside.reset(); }

    // Probes the host answering with the given bytes until an outcome that
    // only the answer can give (a name, or a MAC other than the host's own)
    // comes back; when the answer gives no such sign, until any MAC does.
    static ProbeOutcome ProbeAnswering(std::vector<std::uint8_t> answer) {
        s_responder->SetAnswer(std::move(answer));
        const std::size_t requestsBefore = s_responder->RequestCount();
        const ProbeOutcome outcome =
            ProbeUntil(s_host->AddressValue(), 1000, kAnswerAttempts, [](const ProbeOutcome& o) {
                return !o.name.empty() || (o.found && o.mac != s_host->MacText());
            });
        EXPECT_GT(s_responder->RequestCount(), requestsBefore);
        return outcome;
    }

    static std::vector<std::uint8_t> Cut(std::vector<std::uint8_t> bytes, std::size_t size) {
        bytes.resize(size);
        return bytes;
    }

    static inline SuiteLab s_lab{SuiteLab::Needs::Namespaces};
    static inline std::unique_ptr<NodeStatusResponder> s_responder;
    static inline const LabHost* s_host = nullptr;
    std::unique_ptr<ScopedNamespace> m_inside;
};

TEST_F(ScriptedAnswer, AdapterAddressOtherThanZeroIsTakenAsItIs) {
    EXPECT_EQ(ProbeAnswering(NodeStatusAnswerBytes(3, "SCRIPTED", kScriptedAdapter)),
              (ProbeOutcome{true, kScriptedMacText, "SCRIPTED"}));
}

TEST_F(ScriptedAnswer, AnswerWithoutNamesGivesTheAdapterAddressAndNoName) {
    EXPECT_EQ(ProbeAnswering(NodeStatusAnswerBytes(0, "", kScriptedAdapter)),
              (ProbeOutcome{true, kScriptedMacText, ""}));
}

TEST_F(ScriptedAnswer, BytesMissingFromAShortAnswerReadAsZero) {
    const auto full = NodeStatusAnswerBytes(0, "", kScriptedAdapter);
    // Only the first three adapter bytes arrive.
    EXPECT_EQ(ProbeAnswering(Cut(full, 60)), (ProbeOutcome{true, "0a0b0c000000", ""}));
    // The name count and the adapter address are missing altogether: a zero
    // adapter address, for which the neighbour table has the host's MAC.
    EXPECT_EQ(ProbeAnswering(Cut(full, 12)), (ProbeOutcome{true, s_host->MacText(), ""}));
    // One name, cut after seven characters; the adapter address is missing.
    EXPECT_EQ(ProbeAnswering(Cut(NodeStatusAnswerBytes(1, "ABCDEFGHIJ", kScriptedAdapter), 64)),
              (ProbeOutcome{true, s_host->MacText(), "ABCDEFG"}));
}

// 57 + 18 * 224 + 6 = 4095 bytes still fit in the 4096 a probe receives;
// from 225 names on, the adapter address lies wholly beyond them and reads
// as zero, so the neighbour table gives the MAC. The datagrams themselves
// are longer than 4096 bytes and are cut when received.
TEST_F(ScriptedAnswer, AdapterAddressBeyondTheReceiveBufferReadsAsZero) {
    EXPECT_EQ(ProbeAnswering(NodeStatusAnswerBytes(224, "MANYNAMES", kScriptedAdapter)),
              (ProbeOutcome{true, kScriptedMacText, "MANYNAMES"}));
    for (std::size_t names : {225, 255}) {
        SCOPED_TRACE(names);
        EXPECT_EQ(ProbeAnswering(NodeStatusAnswerBytes(names, "MANYNAMES", kScriptedAdapter)),
                  (ProbeOutcome{true, s_host->MacText(), "MANYNAMES"}));
    }
}

TEST_F(ScriptedAnswer, ZeroAdapterAddressGivesWayToTheNeighbourTable) {
    EXPECT_EQ(ProbeAnswering(NodeStatusAnswerBytes(2, "  PADDED NAME", kZeroAdapter)),
              (ProbeOutcome{true, s_host->MacText(), "PADDED NAME"}));
}

} // namespace
} // namespace nodescout::test
