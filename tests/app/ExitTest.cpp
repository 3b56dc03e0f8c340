// The real program's ways out that no window command takes: a signal ends it
// as a confirmed exit does (status 0, list and settings saved); a second copy
// on the same files says so and writes nothing; without a display it says
// what is missing instead of aborting. Runs on Qt's offscreen platform.

#include <gtest/gtest.h>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const std::string kList = "1\t198.18.0.2\t001122334455\tHOSTA\r\n"
                          "2\t198.18.0.3\t00112233aabb\tHOSTB\r\n";

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A copy of the program in a folder of its own, with a saved list.
class ProgramFolder : public testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "nodescout-exit-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_folder = pattern;
        fs::copy_file(NODESCOUT_PROGRAM, m_folder / "nodescout");
        std::ofstream(m_folder / "Default.txt", std::ios::binary) << kList;
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    // Starts the program on the offscreen platform, or with the given
    // environment changes instead (env's -u NAME ...); standard error goes to stderrFile. The
    // process id.
    pid_t Start(const std::string& environment, const fs::path& stderrFile) const {
        const pid_t pid = fork();
        if (pid == 0) {
            const std::string command =
                "exec env " + (environment.empty() ? "QT_QPA_PLATFORM=offscreen" : environment) +
                " '" + (m_folder / "nodescout").string() + "' 2>'" + stderrFile.string() + "'";
            execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        return pid;
    }

    // Waits up to timeout; the exit status, -1 for a signal, -2 for a timeout.
    static int Wait(pid_t pid, std::chrono::milliseconds timeout = 20s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (std::chrono::steady_clock::now() > deadline) {
                return -2;
            }
            std::this_thread::sleep_for(20ms);
        }
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    // Until the window is up: its start-up has taken the lock and read the list.
    static void WaitUntilRunning() { std::this_thread::sleep_for(1500ms); }

    fs::path m_folder;
};

TEST_F(ProgramFolder, EachExitSignalSavesTheListAndTheSettingsAndEndsWithStatusZero) {
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(strsignal(signal));
        fs::remove(m_folder / "Scout.ini");
        fs::remove(m_folder / "Default.txt");
        std::ofstream(m_folder / "Default.txt", std::ios::binary) << kList;
        const pid_t pid = Start("", m_folder / "stderr.txt");
        WaitUntilRunning();
        // The list is rewritten only on the way out: an older file time
        // tells a save from the list left as it was.
        fs::last_write_time(m_folder / "Default.txt",
                            fs::file_time_type::clock::now() - std::chrono::hours(1));
        const auto before = fs::last_write_time(m_folder / "Default.txt");
        ASSERT_EQ(kill(pid, signal), 0);
        EXPECT_EQ(Wait(pid), 0);
        EXPECT_EQ(ReadAll(m_folder / "Default.txt"), kList);
        EXPECT_GT(fs::last_write_time(m_folder / "Default.txt"), before);
        EXPECT_NE(ReadAll(m_folder / "Scout.ini").find("[Profile]"), std::string::npos);
    }
}

TEST_F(ProgramFolder, ASecondCopyOnTheSameFilesSaysSoAndWritesNothing) {
    const pid_t first = Start("", m_folder / "first.txt");
    WaitUntilRunning();
    // The second copy's message box waits for an answer that never comes:
    // its standard error tells what it showed.
    const pid_t second = Start("", m_folder / "second.txt");
    std::this_thread::sleep_for(1500ms);
    EXPECT_NE(ReadAll(m_folder / "second.txt").find("Nodescout is already running"),
              std::string::npos);
    kill(second, SIGKILL);
    Wait(second);
    std::ofstream(m_folder / "Default.txt", std::ios::binary | std::ios::app)
        << "3\t198.18.0.4\t0011223344cc\tADDED\r\n"; // read by neither copy
    kill(first, SIGTERM);
    EXPECT_EQ(Wait(first), 0);
    EXPECT_EQ(ReadAll(m_folder / "Default.txt"), kList);

    // The lock went with the first copy: the next start runs its window.
    const pid_t next = Start("", m_folder / "next.txt");
    WaitUntilRunning();
    kill(next, SIGTERM);
    EXPECT_EQ(Wait(next), 0);
    EXPECT_EQ(ReadAll(m_folder / "next.txt").find("already running"), std::string::npos);
}

TEST_F(ProgramFolder, WithoutADisplayOneLineSaysWhatIsMissingAndTheStatusIsOne) {
    const pid_t pid =
        Start("-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", m_folder / "stderr.txt");
    EXPECT_EQ(Wait(pid), 1);
    const std::string text = ReadAll(m_folder / "stderr.txt");
    EXPECT_EQ(text.rfind("nodescout: no display", 0), 0u) << text;
    EXPECT_NE(text.find("ssh -X"), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    EXPECT_EQ(ReadAll(m_folder / "Default.txt"), kList);
    EXPECT_FALSE(fs::exists(m_folder / "Scout.ini"));
}

} // namespace
