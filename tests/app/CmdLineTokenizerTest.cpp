#include "app/CmdLineTokenizer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nodescout {
namespace {

std::vector<std::string> Split(const char* text) {
    CmdLineTokenizer tokenizer(text, " ");
    std::vector<std::string> tokens;
    while (tokenizer.HasMoreTokens()) {
        tokens.emplace_back(tokenizer.NextToken());
    }
    return tokens;
}

using Tokens = std::vector<std::string>;

TEST(CmdLineTokenizer, SplitsAtEveryBlank) {
    EXPECT_EQ(Split("-w 001122aabbcc 198.18.0.255"),
              (Tokens{"-w", "001122aabbcc", "198.18.0.255"}));
    EXPECT_EQ(Split("-w  001122aabbcc"), (Tokens{"-w", "", "001122aabbcc"}));
    EXPECT_EQ(Split("-w 001122aabbcc "), (Tokens{"-w", "001122aabbcc"}));
    EXPECT_EQ(Split("word"), (Tokens{"word"}));
    EXPECT_EQ(Split(""), Tokens{});
}

TEST(CmdLineTokenizer, ReturnsEmptyTextOnceUsedUp) {
    CmdLineTokenizer tokenizer("-w", " ");
    EXPECT_STREQ(tokenizer.NextToken(), "-w");
    EXPECT_FALSE(tokenizer.HasMoreTokens());
    EXPECT_STREQ(tokenizer.NextToken(), "");
    EXPECT_STREQ(tokenizer.NextToken(), "");
}

TEST(CmdLineTokenizer, LongerDelimiterIsSkippedWhole) {
    CmdLineTokenizer tokenizer("a, b,,c", ", ");
    EXPECT_STREQ(tokenizer.NextToken(), "a");
    EXPECT_STREQ(tokenizer.NextToken(), "b,,c");
}

TEST(CmdLineTokenizer, CutsACommandLineLongerThanItsCopy) {
    const std::string word(CmdLineTokenizer::kMaxTextLength + 500, 'x');
    CmdLineTokenizer tokenizer(("-w " + word).c_str(), " ");
    EXPECT_STREQ(tokenizer.NextToken(), "-w");
    EXPECT_EQ(std::string(tokenizer.NextToken()).size(), CmdLineTokenizer::kMaxTextLength - 3);
    EXPECT_FALSE(tokenizer.HasMoreTokens());
}

} // namespace
} // namespace nodescout
