// How a file's whole content is replaced: a failure (no right to write, a
// full disk) leaves the old file whole and no temporary file behind, a
// reader sees the old or the new content and never a mix, the permission
// bits and symbolic links stay, and concurrent writers leave one content.

#include "platform/fs/AtomicFile.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace nodescout {
namespace {

namespace fs = std::filesystem;
using test::TempDir;

constexpr char kOld[] = "old content\r\n";
constexpr char kNew[] = "new content\r\n";

enum class ChildResult { Written, Failed, NotRun };

ChildResult RunInChildProcess(const std::function<ChildResult()>& body) {
    return test::RunInChildProcess(body, ChildResult::NotRun);
}

ChildResult ResultOf(std::error_code error) {
    return error ? ChildResult::Failed : ChildResult::Written;
}

// Root may write into any folder and any file; the user "nobody" may not.
ChildResult ReplaceWithoutRootRights(const std::string& path) {
    return RunInChildProcess([&path] {
        constexpr uid_t kNobody = 65534;
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)) {
            return ChildResult::NotRun;
        }
        return ResultOf(ReplaceFileContent(path, kNew));
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

TEST(AtomicFile, ReplacingInAReadOnlyFolderFailsAndKeepsTheOldFile) {
    TempDir top;
    const fs::path folder = top.Path() / "settings";
    fs::create_directory(folder);
    const std::string path = top.Write("settings/Scout.ini", kOld);
    fs::permissions(path, fs::perms(0644));
    fs::permissions(folder, fs::perms(0555));
    fs::permissions(top.Path(), fs::perms(0711)); // so that "nobody" may reach the file

    const ChildResult result = ReplaceWithoutRootRights(path);
    fs::permissions(folder, fs::perms(0700));

    ASSERT_NE(result, ChildResult::NotRun) << "could not run the write without root rights";
    EXPECT_EQ(result, ChildResult::Failed);
    EXPECT_EQ(top.Read("settings/Scout.ini"), kOld);
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{"Scout.ini"});
}

TEST(AtomicFile, ReplacingAReadOnlyFileFailsThoughItsFolderIsWritable) {
    TempDir top;
    const std::string path = top.Write("Scout.ini", kOld);
    fs::permissions(path, fs::perms(0444));
    fs::permissions(top.Path(), fs::perms(0777));

    const ChildResult result = ReplaceWithoutRootRights(path);

    ASSERT_NE(result, ChildResult::NotRun) << "could not run the write without root rights";
    EXPECT_EQ(result, ChildResult::Failed);
    EXPECT_EQ(top.Read("Scout.ini"), kOld);
    EXPECT_EQ(NamesIn(top.Path()), std::vector<std::string>{"Scout.ini"});
}

TEST(AtomicFile, ReplacingOntoAFullDiskFailsAndKeepsTheOldFile) {
    TempDir folder;
    const std::string path = folder.Write("Scout.ini", kOld);
    const std::string longContent(4096, 'x');

    // A file-size limit makes the write of the temporary file fail the way a
    // full disk does, after part of it was written.
    const ChildResult result = RunInChildProcess([&] {
        const rlimit limit{64, 64};
        if (std::signal(SIGXFSZ, SIG_IGN) == SIG_ERR || ::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            return ChildResult::NotRun;
        }
        return ResultOf(ReplaceFileContent(path, longContent));
    });

    ASSERT_NE(result, ChildResult::NotRun);
    EXPECT_EQ(result, ChildResult::Failed);
    EXPECT_EQ(folder.Read("Scout.ini"), kOld);
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"Scout.ini"});
}

TEST(AtomicFile, KeepsPermissionBitsAndGivesNewFilesTheUsualOnes) {
    TempDir folder;
    const std::string path = folder.Write("Scout.ini", kOld);
    fs::permissions(path, fs::perms(0640));
    ASSERT_FALSE(ReplaceFileContent(path, kNew));
    EXPECT_EQ(folder.Read("Scout.ini"), kNew);
    EXPECT_EQ(PermissionsOf(path), fs::perms(0640));

    const mode_t umask = ::umask(022);
    const std::string fresh = folder.File("New.ini");
    const std::error_code created = ReplaceFileContent(fresh, kNew);
    ::umask(umask);
    ASSERT_FALSE(created);
    EXPECT_EQ(PermissionsOf(fresh), fs::perms(0644)) << "0666 less the umask, as fopen does";
}

TEST(AtomicFile, ReplacesThroughASymbolicLinkAndKeepsTheLink) {
    TempDir folder;
    fs::create_directory(folder.Path() / "real");
    folder.Write("real/Scout.ini", kOld);
    const std::string link = folder.File("Scout.ini");
    fs::create_symlink("real/Scout.ini", link);

    ASSERT_FALSE(ReplaceFileContent(link, kNew));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(folder.Read("real/Scout.ini"), kNew);
    EXPECT_EQ(NamesIn(folder.Path() / "real"), std::vector<std::string>{"Scout.ini"});

    const std::string dangling = folder.File("Other.ini");
    fs::create_symlink("real/Other.ini", dangling);
    ASSERT_FALSE(ReplaceFileContent(dangling, kNew));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(folder.Read("real/Other.ini"), kNew);

    const std::string loop = folder.File("Loop.ini");
    fs::create_symlink("Loop.ini", loop);
    EXPECT_TRUE(ReplaceFileContent(loop, kNew));
    EXPECT_TRUE(fs::is_symlink(loop));
}

TEST(AtomicFile, AReaderSeesTheOldOrTheNewContentNeverAMix) {
    TempDir folder;
    const std::string path = folder.File("Scout.ini");
    // Contents far longer than one write, so that a file rewritten in place
    // could be seen half written.
    const std::string first(200000, 'a');
    const std::string second(150000, 'b');
    ASSERT_FALSE(ReplaceFileContent(path, first));

    std::atomic<bool> writing{true};
    std::thread writer([&] {
        for (int round = 0; round < 60; ++round) {
            ReplaceFileContent(path, round % 2 == 0 ? second : first);
        }
        writing = false;
    });
    int mixed = 0;
    while (writing) {
        const std::string content = folder.Read("Scout.ini");
        mixed += content != first && content != second;
    }
    writer.join();
    EXPECT_EQ(mixed, 0);
}

TEST(AtomicFile, ConcurrentWritersLeaveOneWholeContentAndNoTemporaryFile) {
    TempDir folder;
    const std::string path = folder.File("Default.txt");
    const std::string first(100000, 'a');
    const std::string second(120000, 'b');
    const auto replaceOften = [&path](const std::string& content) {
        for (int round = 0; round < 30; ++round) {
            EXPECT_FALSE(ReplaceFileContent(path, content));
        }
    };
    std::thread other(replaceOften, first);
    replaceOften(second);
    other.join();

    const std::string content = folder.Read("Default.txt");
    EXPECT_TRUE(content == first || content == second) << content.size() << " bytes";
    EXPECT_EQ(NamesIn(folder.Path()), std::vector<std::string>{"Default.txt"});
}

} // namespace
} // namespace nodescout
