#include "platform/shell/Shell.h"

#include "tests/support/FakeDesktop.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace nodescout {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, SplitsAtBlanksAndKeepsQuotedWordsWhole) {
    EXPECT_EQ(SplitCommandLine("firefox-esr  http://a/ "), (Words{"firefox-esr", "http://a/"}));
    EXPECT_EQ(SplitCommandLine(R"("/opt/My Browser/run" --x "a \"b\" \\ \$")"),
              (Words{"/opt/My Browser/run", "--x", R"(a "b" \ $)"}));
    EXPECT_EQ(SplitCommandLine(R"(run "")"), (Words{"run", ""}));
    EXPECT_EQ(SplitCommandLine(""), Words{});
}

TEST(QuoteCommandWord, QuotesOnlyWhatWouldSplitAndSplittingGivesTheWordBack) {
    EXPECT_EQ(QuoteCommandWord("http://a/b?c=$d"), "http://a/b?c=$d");
    EXPECT_EQ(QuoteCommandWord("a b"), R"("a b")");
    for (const std::string word :
         {"http://a/", "a b", "tab\there", R"(say "hi")", R"(\ ` $ " end)", R"(x"y)"}) {
        EXPECT_EQ(SplitCommandLine("run " + QuoteCommandWord(word)), (Words{"run", word})) << word;
    }
}

class FakeDesktopTest : public ::testing::Test {
protected:
    test::FakeDesktop m_desktop;
};

TEST_F(FakeDesktopTest, DesktopEntryPlaceholdersBecomeTheClassicOne) {
    m_desktop.AddEntry("quoted.desktop", R"(browser --new-window "%u" %i --name=%c)", true);
    m_desktop.AddEntry("bare.desktop", R"(browser\sone %U 100%%)");
    m_desktop.AddEntry("none.desktop", "browser --flag");
    std::string command;
    ASSERT_FALSE(ReadDesktopEntryCommand("quoted.desktop", command));
    EXPECT_EQ(command, R"(browser --new-window "%1"  --name=)");
    ASSERT_FALSE(ReadDesktopEntryCommand("bare.desktop", command));
    EXPECT_EQ(command, "browser one %1 100%");
    ASSERT_FALSE(ReadDesktopEntryCommand("none.desktop", command));
    EXPECT_EQ(command, "browser --flag");
    EXPECT_TRUE(ReadDesktopEntryCommand("missing.desktop", command));
    EXPECT_TRUE(ReadDesktopEntryCommand("../escape.desktop", command));
}

TEST_F(FakeDesktopTest, DefaultApplicationComesFromTheMimeAppsList) {
    m_desktop.AddRecordingProgram("fakebrowser");
    m_desktop.AddEntry("fakebrowser.desktop", "fakebrowser %u");
    m_desktop.Root().Write("config/mimeapps.list",
                           "[Default Applications]\ntext/html=fakebrowser.desktop;\n");
    std::string id;
    ASSERT_FALSE(QueryDefaultApplication("text/html", id));
    EXPECT_EQ(id, "fakebrowser.desktop");

    std::filesystem::remove(m_desktop.Root().File("config/mimeapps.list"));
    EXPECT_TRUE(QueryDefaultApplication("text/html", id)) << "nothing registered";
}

TEST_F(FakeDesktopTest, WinExecStartsWithoutAShell) {
    const std::string record = m_desktop.AddRecordingProgram("fakebrowser");
    const std::string address = "http://198.18.0.1/?a=1&b=$(id);x";
    EXPECT_GT(WinExec(("fakebrowser --new " + address).c_str(), kShellShowCommand), 32);
    EXPECT_EQ(test::FakeDesktop::WaitForFile(record), "--new\n" + address + "\n");

    EXPECT_EQ(WinExec("no-such-program-anywhere http://x/", kShellShowCommand), 2);
    EXPECT_EQ(WinExec("", kShellShowCommand), 2);
    const std::string notExecutable = m_desktop.Root().Write("bin/plain-file", "text");
    EXPECT_EQ(WinExec(notExecutable.c_str(), kShellShowCommand), 5);
}

// The opener's exit status is its outcome; a wait given up reports nothing.
TEST_F(FakeDesktopTest, AWaitedOpenersExitStatusIsTheResult) {
    const std::string opener = m_desktop.Root().File("bin/xdg-open");
    const auto openerEnding = [&](const std::string& ending) {
        m_desktop.Root().Write("bin/xdg-open", "#!/bin/sh\n" + ending + "\n");
        chmod(opener.c_str(), 0755);
        return ShellExecuteOpen("file:///nowhere", kShellShowCommand, [](auto pause) {
            std::this_thread::sleep_for(pause);
            return true;
        });
    };
    EXPECT_EQ(openerEnding("exit 0"), kShellSuccess);
    EXPECT_EQ(openerEnding("exit 1"), 2) << "syntax error";
    EXPECT_EQ(openerEnding("exit 2"), 2) << "file not found";
    EXPECT_EQ(openerEnding("exit 3"), SE_ERR_ASSOCINCOMPLETE) << "a tool is missing";
    EXPECT_EQ(openerEnding("exit 4"), SE_ERR_NOASSOC) << "the action failed";
    EXPECT_EQ(openerEnding("kill -9 $$"), SE_ERR_NOASSOC);

    m_desktop.Root().Write("bin/xdg-open", "#!/bin/sh\nexec sleep 1\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(ShellExecuteOpen("file:///x", kShellShowCommand, [](auto) { return false; }),
              kShellSuccess);
    EXPECT_EQ(ShellExecuteOpen("file:///x", kShellShowCommand), kShellSuccess) << "not waited";
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST(ShellExecuteOpen, TestsCanStandInForTheDesktopOpener) {
    std::string opened;
    const ShellOpenFunction previous =
        SetShellOpenFunction([&](const std::string& target, int show) {
            opened = target + " " + std::to_string(show);
            return 42;
        });
    EXPECT_EQ(ShellExecuteOpen("/tmp/folder", kShellShowCommand), 42);
    EXPECT_EQ(opened, "/tmp/folder 5");
    SetShellOpenFunction(previous);
}

} // namespace
} // namespace nodescout
