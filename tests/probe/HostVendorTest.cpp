// The maker of a card from its MAC address and the IEEE registry files.

#include "probe/HostVendor.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

const std::string kSample = NODESCOUT_TEST_DATA_DIR "/oui-sample.txt";

TEST(HostVendorTest, LinesOfBothRegistryFormatsAndNothingElse) {
    const auto text = ParseVendorLine("00-1B-21   (hex)\t\tIntel Corporate\r");
    ASSERT_TRUE(text);
    EXPECT_EQ(text->oui, 0x001B21u);
    EXPECT_EQ(text->maker, "Intel Corporate");
    const auto csv = ParseVendorLine(R"(MA-L,F4BD9E,"Cisco Systems, Inc",80 West Tasman Drive)");
    ASSERT_TRUE(csv);
    EXPECT_EQ(csv->oui, 0xF4BD9Eu);
    EXPECT_EQ(csv->maker, "Cisco Systems, Inc");
    EXPECT_EQ(ParseVendorLine(R"(MA-L,00D0EF,"The ""Q"" Corp",Reno)")->maker, "The \"Q\" Corp");
    for (const char* other : {"001B21     (base 16)\t\tIntel Corporate", "\t\t\tSanta Clara CA",
                              "Registry,Assignment,Organization Name,Organization Address",
                              "MA-M,001BC50,Someone,Somewhere", "00-1B-2X   (hex)\t\tBad",
                              "00-1B-21   (hex)", "MA-L,001B,Short,Somewhere", ""}) {
        EXPECT_FALSE(ParseVendorLine(other)) << other;
    }
}

TEST(HostVendorTest, MakerOfAMacFromTheRegistryFile) {
    const VendorRegistry registry = VendorRegistry::Load(kSample);
    EXPECT_EQ(registry.Size(), 3u);
    EXPECT_EQ(MakerText("001b21a0b0c0", registry), "Intel Corporate"); // the first listing wins
    EXPECT_EQ(MakerText("00:00:0c:01:02:03", registry), "Cisco Systems, Inc");
    EXPECT_EQ(MakerText("0a1b21a0b0c0", registry), "locally administered address");
    EXPECT_EQ(MakerText("00aa00112233", registry), "");
    EXPECT_EQ(MakerText("00aa", registry), "");
    EXPECT_EQ(MakerText("zz1b21a0b0c0", registry), "");
    EXPECT_EQ(VendorRegistry::Load(kSample + ".missing").Size(), 0u);
}

} // namespace
} // namespace nodescout
