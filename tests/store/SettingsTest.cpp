#include "store/Settings.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

TEST(Settings, FirstRunWithoutAFileGivesTheDefaultsAndWritesThemBack) {
    test::TempDir dir;
    const std::string ini = dir.File("Scout.ini");
    ProfileSettings profile = LoadProfileSettings(ini.c_str());
    EXPECT_TRUE(profile.ip1.IsEmpty());
    EXPECT_TRUE(profile.mac.IsEmpty());
    EXPECT_EQ(profile.interval, 10);
    RangeTable ranges;
    EXPECT_EQ(LoadRangeTable(ini.c_str(), ranges), 0);

    SaveProfileSettings(ini.c_str(), profile);
    SaveRangeTable(ini.c_str(), ranges, 0);
    EXPECT_EQ(dir.Read("Scout.ini"), "[Profile]\r\nIP1=\r\nIP2=\r\nMAC=\r\nInterval=10\r\n"
                                     "[IPRange]\r\nCount=0\r\n");
}

TEST(Settings, ReadsTheOddValuesAsTheyHaveAlwaysBeenRead) {
    test::TempDir dir;
    const std::string ini =
        dir.Write("Scout.ini", "[profile]\nip1=198.18.0.1\nMac=00-a0-c9-12-34-56x\n"
                               "Interval=abc\n");
    const ProfileSettings profile = LoadProfileSettings(ini.c_str());
    EXPECT_EQ(profile.ip1.View(), "198.18.0.1");
    EXPECT_EQ(profile.mac.View(), "00-a0-c9-12-34-56") << "the longest usual form, whole";
    EXPECT_EQ(profile.interval, 0);
}

TEST(Settings, RangeTableReadsUpToCountAndHoldsAtMost100) {
    test::TempDir dir;
    std::string content = "[IPRange]\r\nCount=2\r\n";
    for (int i = 1; i <= 150; ++i) {
        content += "IP" + std::to_string(i) + "-1=10.0." + std::to_string(i) + ".1\r\n";
        content += "IP" + std::to_string(i) + "-2=10.0." + std::to_string(i) + ".9\r\n";
    }
    const std::string ini = dir.Write("Scout.ini", content);
    RangeTable ranges;
    EXPECT_EQ(LoadRangeTable(ini.c_str(), ranges), 2);
    EXPECT_EQ(ranges[1].end.View(), "10.0.2.9");

    dir.Write("Scout.ini", "[IPRange]\r\nCount=150\r\n" + content.substr(content.find("IP1-1")));
    EXPECT_EQ(LoadRangeTable(ini.c_str(), ranges), 100);
    EXPECT_EQ(ranges[99].start.View(), "10.0.100.1");

    dir.Write("Scout.ini", "[IPRange]\r\nCount=-3\r\n");
    EXPECT_EQ(LoadRangeTable(ini.c_str(), ranges), 0);
}

TEST(Settings, SavingAShorterTableKeepsTheOldKeysAndOtherContent) {
    test::TempDir dir;
    const std::string ini =
        dir.Write("Scout.ini", "; my notes\r\n[Profile]\r\nTimeOutMicroseconds=2000\r\n"
                               "[IPRange]\r\nCount=2\r\nIP1-1=a\r\nIP1-2=b\r\n"
                               "IP2-1=c\r\nIP2-2=d\r\n");
    RangeTable ranges;
    ranges[0] = {Text("198.18.0.1"), Text("198.18.0.255")};
    SaveRangeTable(ini.c_str(), ranges, 1);
    ProfileSettings profile;
    profile.mac = "020000000002";
    profile.interval = -4;
    SaveProfileSettings(ini.c_str(), profile);
    EXPECT_EQ(
        dir.Read("Scout.ini"),
        "; my "
        "notes\r\n[Profile]\r\nTimeOutMicroseconds=2000\r\nIP1=\r\nIP2=\r\nMAC=020000000002\r\n"
        "Interval=-4\r\n[IPRange]\r\nCount=1\r\nIP1-1=198.18.0.1\r\nIP1-2=198.18.0.255\r\n"
        "IP2-1=c\r\nIP2-2=d\r\n");
    EXPECT_EQ(LoadRangeTable(ini.c_str(), ranges), 1);
}

} // namespace
} // namespace nodescout
