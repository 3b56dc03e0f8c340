#include "platform/text/NumberText.h"

#include <gtest/gtest.h>

namespace nodescout {
namespace {

TEST(ReadNumberText, ReadsAsAtoiDoesAndStaysWithinInt) {
    EXPECT_EQ(ReadNumberText("  +42x"), 42);
    EXPECT_EQ(ReadNumberText(" \t-3abc"), -3);
    EXPECT_EQ(ReadNumberText("- 5"), 0);
    EXPECT_EQ(ReadNumberText("99999999999"), 2147483647);
    EXPECT_EQ(ReadNumberText("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ReadNumberText("-99999999999"), -2147483647 - 1);
    EXPECT_EQ(ReadNumberText(""), 0);
    EXPECT_EQ(ReadNumberText(nullptr), 0);
}

} // namespace
} // namespace nodescout
