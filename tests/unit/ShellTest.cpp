#include "platform/shell/Shell.h"

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

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

// A desktop of our own: a data folder with desktop entries, a config folder
// with the default-applications list, and a bin folder first in PATH.
class FakeDesktop : public ::testing::Test {
protected:
    void SetUp() override {
        std::filesystem::create_directories(m_root.Path() / "data/applications");
        std::filesystem::create_directories(m_root.Path() / "config");
        std::filesystem::create_directories(m_root.Path() / "bin");
        m_env.Set("XDG_DATA_HOME", m_root.File("data").c_str());
        m_env.Set("XDG_DATA_DIRS", m_root.File("nowhere").c_str());
        m_env.Set("XDG_CONFIG_HOME", m_root.File("config").c_str());
        m_env.Set("XDG_CONFIG_DIRS", m_root.File("nowhere").c_str());
        m_env.Set("XDG_CURRENT_DESKTOP", nullptr);
        m_env.Set("DESKTOP_SESSION", nullptr);
        const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin";
        m_env.Set("PATH", (m_root.File("bin") + ":" + path).c_str());
    }

    // otherGroupFirst: the file begins with another group's Exec line,
    // which must not be taken for the program's own.
    void AddEntry(const std::string& id, const std::string& exec, bool otherGroupFirst = false) {
        const std::string main =
            "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + exec + "\n";
        const std::string other = "[Desktop Action new]\nExec=wrong %u\n";
        m_root.Write("data/applications/" + id, otherGroupFirst ? other + main : main + other);
    }

    // A program that writes its arguments, one per line, into a file.
    std::string AddRecordingProgram(const std::string& name) {
        const std::string record = m_root.File(name + ".args");
        const std::string program = m_root.Write(
            "bin/" + name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " +
                               record + ".tmp && mv " + record + ".tmp " + record + "\n");
        chmod(program.c_str(), 0755);
        return record;
    }

    std::string WaitForFile(const std::string& path) {
        for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return test::TempDir::ReadPath(path);
    }

    test::TempDir m_root;
    test::ScopedEnvironment m_env;
};

TEST_F(FakeDesktop, DesktopEntryPlaceholdersBecomeTheClassicOne) {
    AddEntry("quoted.desktop", R"(browser --new-window "%u" %i --name=%c)", true);
    AddEntry("bare.desktop", R"(browser\sone %U 100%%)");
    AddEntry("none.desktop", "browser --flag");
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

TEST_F(FakeDesktop, DefaultApplicationComesFromTheMimeAppsList) {
    AddRecordingProgram("fakebrowser");
    AddEntry("fakebrowser.desktop", "fakebrowser %u");
    m_root.Write("config/mimeapps.list",
                 "[Default Applications]\ntext/html=fakebrowser.desktop;\n");
    std::string id;
    ASSERT_FALSE(QueryDefaultApplication("text/html", id));
    EXPECT_EQ(id, "fakebrowser.desktop");

    std::filesystem::remove(m_root.File("config/mimeapps.list"));
    EXPECT_TRUE(QueryDefaultApplication("text/html", id)) << "nothing registered";
}

TEST_F(FakeDesktop, WinExecStartsWithoutAShell) {
    const std::string record = AddRecordingProgram("fakebrowser");
    const std::string address = "http://198.18.0.1/?a=1&b=$(id);x";
    EXPECT_GT(WinExec(("fakebrowser --new " + address).c_str(), SW_SHOW), 32);
    EXPECT_EQ(WaitForFile(record), "--new\n" + address + "\n");

    EXPECT_EQ(WinExec("no-such-program-anywhere http://x/", SW_SHOW), 2);
    EXPECT_EQ(WinExec("", SW_SHOW), 2);
    const std::string notExecutable = m_root.Write("bin/plain-file", "text");
    EXPECT_EQ(WinExec(notExecutable.c_str(), SW_SHOW), 5);
}

TEST(ShellExecuteOpen, TestsCanStandInForTheDesktopOpener) {
    std::string opened;
    const ShellOpenFunction previous =
        SetShellOpenFunction([&](const std::string& target, int show) {
            opened = target + " " + std::to_string(show);
            return 42;
        });
    EXPECT_EQ(ShellExecuteOpen("/tmp/folder", SW_SHOW), 42);
    EXPECT_EQ(opened, "/tmp/folder 5");
    SetShellOpenFunction(previous);
}

} // namespace
} // namespace nodescout
