#include "probe/WakeOnLan.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

TEST(MagicPacket, IsSixFfThenTheMacSixteenTimes) {
    const std::optional<MagicPacket> packet = BuildMagicPacket("001122aabbcc");
    ASSERT_TRUE(packet);
    for (std::size_t i = 0; i < 6; ++i) {
        EXPECT_EQ((*packet)[i], 0xFF);
    }
    const std::uint8_t mac[6] = {0x00, 0x11, 0x22, 0xAA, 0xBB, 0xCC};
    for (std::size_t i = 6; i < kMagicPacketSize; ++i) {
        EXPECT_EQ((*packet)[i], mac[(i - 6) % 6]) << "offset " << i;
    }
}

TEST(MagicPacket, RefusesTextsThatAreNoMac) {
    for (const char* text : {"001122aabbc", "001122aabbccd", "00-11-22-aa-bb-cc", "",
                             "AABBCCDDEEFF", "00112233445g", "0011:2233445"}) {
        EXPECT_FALSE(BuildMagicPacket(text)) << text;
        EXPECT_EQ(SendWakeOnLan(text), kWakeOnLanRefused) << text;
    }
    EXPECT_FALSE(BuildMagicPacket(nullptr));
}

TEST(MagicPacket, UpperCaseDigitsCountOnceALowerCaseOneIsThere) {
    const std::optional<MagicPacket> packet = BuildMagicPacket("0A1b2C3d4E5f");
    ASSERT_TRUE(packet);
    const std::uint8_t mac[6] = {0x0A, 0x1B, 0x2C, 0x3D, 0x4E, 0x5F};
    EXPECT_TRUE(std::equal(mac, mac + 6, packet->begin() + 96));
}

} // namespace
} // namespace nodescout
