#include "platform/text/FixedText.h"

#include <gtest/gtest.h>

#include <string>

namespace nodescout {
namespace {

TEST(FixedText, KeepsTextThatFits) {
    MacText mac("001122aabbcc");
    EXPECT_EQ(mac.View(), "001122aabbcc");
    EXPECT_EQ(mac.Length(), 12u);
}

TEST(FixedText, CutsEveryWayOfFillingAtCapacityMinusOne) {
    const std::string longText(5000, 'x');

    Text assigned(longText);
    EXPECT_EQ(assigned.Length(), 1023u);

    MacText fromSeventeen("00-a0-c9-12-34-56");
    EXPECT_EQ(fromSeventeen.View(), "00-a0-c9-12-");

    MacText fromWider = Text("0123456789abcdef");
    EXPECT_EQ(fromWider.View(), "0123456789ab");

    PathText formatted;
    formatted.Format("%s/%s", longText.c_str(), "Scout.ini");
    EXPECT_EQ(formatted.Length(), 259u);
}

TEST(FixedText, NullAndEmptyBecomeEmptyText) {
    Text text("something");
    text = static_cast<const char*>(nullptr);
    EXPECT_TRUE(text.IsEmpty());
    text = "";
    EXPECT_TRUE(text.IsEmpty());
}

TEST(FixedText, CopyTextHonoursTinyBuffers) {
    char guard[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(CopyText(guard, 0, "zz"), 0u);
    EXPECT_EQ(guard[0], 'a');
    EXPECT_EQ(CopyText(guard, 1, "zz"), 0u);
    EXPECT_EQ(guard[0], '\0');
    EXPECT_EQ(guard[1], 'b');
}

TEST(FixedText, LengthNeverRunsPastAnUnterminatedBuffer) {
    FixedText<4> text;
    const char raw[4] = {'a', 'b', 'c', 'd'};
    std::memcpy(text.Buffer(), raw, sizeof raw);
    EXPECT_EQ(text.Length(), 4u);
}

} // namespace
} // namespace nodescout
