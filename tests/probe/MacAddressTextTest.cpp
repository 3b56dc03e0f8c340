#include "probe/MacAddressText.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

TEST(MacAddressText, TheUsualFormsStandForTwelveLowerCaseDigits) {
    for (const char* typed : {"00a0c9123456", "00A0C9123456", "00:a0:c9:12:34:56",
                              "00-A0-C9-12-34-56", "00a0.c912.3456", " 00:A0:c9:12:34:56\t"}) {
        const std::optional<MacText> mac = SearchedMacText(typed);
        ASSERT_TRUE(mac) << typed;
        EXPECT_EQ(mac->View(), "00a0c9123456") << typed;
    }
    for (const char* typed :
         {"", "00a0c912345", "00a0c91234567", "00:a0:c9:12:34", "00:a0-c9:12:34:56",
          "0:a0:c9:12:34:56", "00:a0:c9:12:34:5g", "00a0:c912:3456", "00.a0.c9.12.34.56",
          "00:a0:c9:12:34:56:", "00 a0 c9 12 34 56"}) {
        EXPECT_FALSE(SearchedMacText(typed)) << '"' << typed << '"';
    }
}

} // namespace
} // namespace nodescout
