// How a write replaces the settings file: through ReplaceFileContent, whose
// own cases (rights, full disk, permission bits, links, readers) are in
// tests/platform/fs/AtomicFileTest.cpp, so a failed write keeps the old file;
// and one write at a time, so that writes from two threads lose nothing.

#include "platform/profile/PrivateProfile.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace nodescout {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr char kOldFile[] = "[Profile]\r\nIP1=10.0.0.1\r\n";

enum class ChildResult { True, False, NotRun };

ChildResult RunInChildProcess(const std::function<ChildResult()>& body) {
    return test::RunInChildProcess(body, ChildResult::NotRun);
}

ChildResult ResultOf(bool written) {
    return written ? ChildResult::True : ChildResult::False;
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

TEST(PrivateProfileReplace, WriteOntoAFullDiskFailsAndKeepsTheOldFile) {
    TempDir folder;
    const std::string path = folder.Write("Scout.ini", kOldFile);
    const std::string longValue(4096, 'x');

    // A file-size limit makes the write of the temporary file fail the way a
    // full disk does, after part of it was written.
    const ChildResult result = RunInChildProcess([&] {
        const rlimit limit{64, 64};
        if (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return ChildResult::NotRun;
        }
        return ResultOf(
            WritePrivateProfileString("Profile", "IP1", longValue.c_str(), path.c_str()));
    });

    ASSERT_NE(result, ChildResult::NotRun);
    EXPECT_EQ(result, ChildResult::False);
    EXPECT_EQ(folder.Read("Scout.ini"), kOldFile);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"Scout.ini"});
}

TEST(PrivateProfileReplace, WritesFromTwoThreadsLoseNothing) {
    TempDir folder;
    const std::string path = folder.File("Scout.ini");
    const auto writeKeys = [&path](char prefix) {
        for (int index = 0; index < 15; ++index) {
            const std::string key = prefix + std::to_string(index);
            WritePrivateProfileString("Profile", key.c_str(), "1", path.c_str());
        }
    };
    std::thread other(writeKeys, 'a');
    writeKeys('b');
    other.join();
    for (const char prefix : {'a', 'b'}) {
        for (int index = 0; index < 15; ++index) {
            const std::string key = prefix + std::to_string(index);
            EXPECT_EQ(GetPrivateProfileInt("Profile", key.c_str(), 0, path.c_str()), 1u) << key;
        }
    }
}

} // namespace
} // namespace nodescout
