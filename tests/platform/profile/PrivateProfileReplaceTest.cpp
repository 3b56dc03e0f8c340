// How a write replaces the settings file: atomically (a failure leaves the
// old file whole and no temporary file behind, a reader never sees half a
// file), keeping the file's permission bits and its symbolic link.

#include "platform/profile/PrivateProfile.h"
#include "platform/text/FixedText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace nodescout {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr char kOldFile[] = "[Profile]\r\nIP1=10.0.0.1\r\n";

enum class ChildResult { True, False, NotRun };

// Runs body in a child process, so that it may drop root rights or lower its
// limits without touching the test process.
ChildResult RunInChildProcess(const std::function<ChildResult()>& body) {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(static_cast<int>(body()));
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) {
        return ChildResult::NotRun;
    }
    return static_cast<ChildResult>(WEXITSTATUS(status));
}

ChildResult ResultOf(bool written) {
    return written ? ChildResult::True : ChildResult::False;
}

// Root may write into any folder and any file; the user "nobody" may not.
ChildResult WriteWithoutRootRights(const std::string& path) {
    return RunInChildProcess([&path] {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            return ChildResult::NotRun;
        }
        return ResultOf(WritePrivateProfileString("Profile", "IP1", "10.0.0.2", path.c_str()));
    });
}

std::vector<std::string> NamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    return names;
}

fs::perms PermissionsOf(const std::string& path) {
    return fs::status(path).permissions();
}

TEST(PrivateProfileReplace, WriteIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
    TempDir top;
    const fs::path folder = top.Path() / "settings";
    fs::create_directory(folder);
    const std::string path = top.Write("settings/Scout.ini", kOldFile);
    fs::permissions(path, fs::perms(0644));
    fs::permissions(folder, fs::perms(0555));
    fs::permissions(top.Path(), fs::perms(0711)); // so that "nobody" may reach the file

    const ChildResult result = WriteWithoutRootRights(path);
    fs::permissions(folder, fs::perms(0700));

    ASSERT_NE(result, ChildResult::NotRun) << "could not run the write without root rights";
    EXPECT_EQ(result, ChildResult::False);
    EXPECT_EQ(top.Read("settings/Scout.ini"), kOldFile);
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"Scout.ini"});
}

TEST(PrivateProfileReplace, WriteToAReadOnlyFileFailsThoughItsFolderIsWritable) {
    TempDir top;
    const std::string path = top.Write("Scout.ini", kOldFile);
    fs::permissions(path, fs::perms(0444));
    fs::permissions(top.Path(), fs::perms(0777));

    const ChildResult result = WriteWithoutRootRights(path);

    ASSERT_NE(result, ChildResult::NotRun) << "could not run the write without root rights";
    EXPECT_EQ(result, ChildResult::False);
    EXPECT_EQ(top.Read("Scout.ini"), kOldFile);
    EXPECT_EQ(NamesIn(top.Path()), std::vector<std::string>{"Scout.ini"});
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

TEST(PrivateProfileReplace, KeepsPermissionBitsAndGivesNewFilesTheUsualOnes) {
    TempDir folder;
    const std::string path = folder.Write("Scout.ini", kOldFile);
    fs::permissions(path, fs::perms(0640));
    ASSERT_TRUE(WritePrivateProfileString("Profile", "IP1", "10.0.0.2", path.c_str()));
    EXPECT_EQ(PermissionsOf(path), fs::perms(0640));

    const mode_t umask = ::umask(022);
    const std::string fresh = folder.File("New.ini");
    const bool created = WritePrivateProfileString("Profile", "IP1", "10.0.0.2", fresh.c_str());
    ::umask(umask);
    ASSERT_TRUE(created);
    EXPECT_EQ(PermissionsOf(fresh), fs::perms(0644)) << "0666 less the umask, as fopen does";
}

TEST(PrivateProfileReplace, WritesThroughASymbolicLinkAndKeepsTheLink) {
    TempDir folder;
    fs::create_directory(folder.Path() / "real");
    folder.Write("real/Scout.ini", kOldFile);
    const std::string link = folder.File("Scout.ini");
    fs::create_symlink("real/Scout.ini", link);

    ASSERT_TRUE(WritePrivateProfileString("Profile", "IP1", "10.0.0.2", link.c_str()));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(folder.Read("real/Scout.ini"), "[Profile]\r\nIP1=10.0.0.2\r\n");
    EXPECT_EQ(NamesIn(folder.Path() / "real"), std::vector<std::string>{"Scout.ini"});

    const std::string dangling = folder.File("Other.ini");
    fs::create_symlink("real/Other.ini", dangling);
    ASSERT_TRUE(WritePrivateProfileString("Profile", "IP1", "10.0.0.3", dangling.c_str()));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(folder.Read("real/Other.ini"), "[Profile]\r\nIP1=10.0.0.3\r\n");

    const std::string loop = folder.File("Loop.ini");
    fs::create_symlink("Loop.ini", loop);
    EXPECT_FALSE(WritePrivateProfileString("Profile", "IP1", "10.0.0.4", loop.c_str()));
}

TEST(PrivateProfileReplace, AReaderSeesTheOldOrTheNewFileNeverAMix) {
    TempDir folder;
    const std::string path = folder.File("Scout.ini");
    // Values far longer than one write, so that a file rewritten in place
    // could be seen half written.
    const std::string first(200000, 'a');
    const std::string second(150000, 'b');
    ASSERT_TRUE(WritePrivateProfileString("Profile", "IP1", first.c_str(), path.c_str()));

    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int round = 0; round < 60; ++round) {
            const std::string& value = round % 2 == 0 ? second : first;
            WritePrivateProfileString("Profile", "IP1", value.c_str(), path.c_str());
        }
        writing = false;
    });
    std::vector<char> buffer(first.size() + 1);
    int mixed = 0;
    while (writing) {
        const std::uint32_t length =
            GetPrivateProfileString("Profile", "IP1", "", buffer.data(),
                                    static_cast<std::uint32_t>(buffer.size()), path.c_str());
        const std::string value(buffer.data(), length);
        mixed += value != first && value != second;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
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
