#include "ui/WalkProgress.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nodescout {
namespace {

struct SentMessage {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;

    bool operator==(const SentMessage&) const = default;
};

class Recorder {
public:
    std::vector<SentMessage> sent;

    SendProgressMessage Sender() {
        return [this](UINT message, WPARAM wParam, LPARAM lParam) {
            sent.push_back({message, wParam, lParam});
        };
    }
};

TEST(WalkProgress, ARangeBeginsWithRangePositionAndStepInThatOrder) {
    Recorder bar;
    SendRangeBegins(bar.Sender(), 9);
    const std::vector<SentMessage> expected = {
        {PBM_SETRANGE, 0, MAKELPARAM(1, 9)}, {PBM_SETPOS, 1, 0}, {PBM_SETSTEP, 1, 0}};
    EXPECT_EQ(bar.sent, expected);
    EXPECT_EQ(PBM_SETRANGE, 1025u);
    EXPECT_EQ(MAKELPARAM(1, 9), 0x00090001);
}

TEST(WalkProgress, TheMaximumIsTheLow16BitsOfTheCount) {
    Recorder bar;
    SendRangeBegins(bar.Sender(), -9); // a backward range
    SendRangeBegins(bar.Sender(), 0x12345);
    ASSERT_EQ(bar.sent.size(), 6u);
    EXPECT_EQ(bar.sent[0].lParam, MAKELPARAM(1, 0xFFF7));
    EXPECT_EQ(bar.sent[3].lParam, MAKELPARAM(1, 0x2345));
}

TEST(WalkProgress, EachAddressStepsAndTheEndSetsTheCountSignExtended) {
    Recorder bar;
    SendAddressDone(bar.Sender());
    SendRangeEnds(bar.Sender(), 9);
    SendRangeEnds(bar.Sender(), -9);
    const std::vector<SentMessage> expected = {
        {PBM_STEPIT, 0, 0}, {PBM_SETPOS, 9, 0}, {PBM_SETPOS, static_cast<WPARAM>(-9), 0}};
    EXPECT_EQ(bar.sent, expected);
}

} // namespace
} // namespace nodescout
