#include "probe/RangeCheck.h"

#include "platform/net/Inet.h"

#include <gtest/gtest.h>

#include <string>

namespace nodescout {
namespace {

TEST(RangeCheck, AcceptsOnlyDottedAddressesThatMeanTheSameToTheWalksParser) {
    for (const char* text : {"0.0.0.0", "198.18.0.1", "255.255.255.255", "10.200.30.4"}) {
        const auto value = ParseDottedAddress(text);
        ASSERT_TRUE(value) << text;
        EXPECT_EQ(htonl(*value), inet_addr(text)) << text;
    }
    // What inet_addr reads otherwise (fewer parts, octal, hexadecimal, a
    // trailing blank) or cannot read at all.
    for (const char* text : {"", "198.18.0.2555", "198.18.0.256", "198.18.1", "198.18.0.1.5",
                             "010.0.0.1", "0x0a.0.0.1", "198.18.0.1 ", " 198.18.0.1", "198..0.1",
                             "198.18.0.", "-1.0.0.1", "+1.0.0.1", "a.b.c.d", "4294967295"}) {
        EXPECT_FALSE(ParseDottedAddress(text)) << '"' << text << '"';
    }
}

TEST(RangeCheck, CountsWhatEachWalkProbesAndSaysWhatIsWrong) {
    struct Case {
        const char* start;
        const char* end;
        WalkKind walk;
        std::uint64_t count;
        const char* problem;
    };
    constexpr auto kExcluded = WalkKind::EndExcluded;
    constexpr auto kIncluded = WalkKind::EndIncluded;
    const std::string pasted(50, '1');
    const Case cases[] = {
        {"192.168.0.1", "192.168.0.10", kExcluded, 9, ""},
        {"192.168.0.1", "192.168.0.10", kIncluded, 10, ""},
        {"198.18.0.7", "198.18.0.7", kExcluded, 0, ""},
        {"198.18.0.7", "198.18.0.7", kIncluded, 1, ""},
        {"198.18.0.9", "198.18.0.1", kExcluded, 0, ""}, // an end below the start
        {"198.18.0.9", "198.18.0.1", kIncluded, 0, ""},
        {"10.0.0.0", "10.1.0.0", kExcluded, 65536, ""}, // the largest without asking
        {"10.0.0.0", "10.1.0.1", kExcluded, 65537, ""},
        {"0.0.0.0", "255.255.255.255", kIncluded, 4294967296, ""},
        {"0.0.0.0", "255.255.255.255", kExcluded, 0, ""}, // the signed difference is -1
        {"0.0.0.0", "127.255.255.255", kExcluded, 2147483647, ""},
        {"198.18.0.1", "198.18.0.2555", kExcluded, 0,
         "the end \"198.18.0.2555\" is not an IPv4 address"},
        {"", "198.18.0.9", kIncluded, 0, "the start is empty"},
        {"bad", "", kExcluded, 0, "the start \"bad\" is not an IPv4 address and the end is empty"},
        {pasted.c_str(), "198.18.0.9", kExcluded, 0,
         "the start \"1111111111111111111111111111111111111111...\" is not an IPv4 address"},
    };
    for (const Case& c : cases) {
        const RangeCheck check = CheckRange(c.start, c.end, c.walk);
        SCOPED_TRACE(std::string(c.start) + " - " + c.end);
        EXPECT_EQ(check.addressCount, c.count);
        EXPECT_EQ(check.problem, c.problem);
        EXPECT_EQ(check.IsLarge(), c.count > 65536);
    }
}

} // namespace
} // namespace nodescout
