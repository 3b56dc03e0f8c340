// Where the real program keeps its files: beside itself when it can write
// there, otherwise in the per-user data folder. The program's folder is made
// read-only by a read-only bind mount in a private mount namespace (root
// passes every permission check, but not a read-only mount). The runs send
// one Wake-on-LAN packet to the loopback address and nothing else.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern = (fs::temp_directory_path() / "nodescout-start-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            m_path = pattern;
        }
    }
    ~ScratchFolder() {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& Path() const { return m_path; }

private:
    fs::path m_path;
};

std::string Quoted(const fs::path& path) {
    return "'" + path.string() + "'";
}

// Runs program -w ... with XDG_DATA_HOME=dataHome, its folder read-only
// when asked; the exit status.
int RunProgram(const fs::path& program, const fs::path& readOnlyFolder, const fs::path& dataHome) {
    std::string script;
    if (!readOnlyFolder.empty()) {
        script = "mount --bind " + Quoted(readOnlyFolder) + " " + Quoted(readOnlyFolder) +
                 " && mount -o remount,bind,ro " + Quoted(readOnlyFolder) + " && ";
    }
    script += "exec env -u DISPLAY -u WAYLAND_DISPLAY XDG_DATA_HOME=" + Quoted(dataHome) + " " +
              Quoted(program) + " -w 020000000002 127.0.0.1";
    const std::string command = "unshare --mount --propagation private sh -c \"" + script + "\"";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(StartUp, FilesGoToThePerUserFolderWhenTheProgramsFolderIsReadOnly) {
    if (geteuid() != 0 || std::system("command -v unshare >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "needs root and unshare for a private mount namespace";
    }
    ScratchFolder scratch;
    ASSERT_FALSE(scratch.Path().empty());
    const fs::path folder = scratch.Path() / "My Tools";
    const fs::path program = folder / "nodescout";
    const fs::path dataHome = scratch.Path() / "data";
    const fs::path perUser = dataHome / "nodescout";
    fs::create_directories(folder);
    fs::copy_file(NODESCOUT_PROGRAM, program);

    // Writable: beside the program; the per-user folder is not made.
    ASSERT_EQ(RunProgram(program, {}, dataHome), 0);
    EXPECT_FALSE(fs::exists(perUser));

    // Read-only: the per-user folder, made on demand. Started through a
    // symbolic link in a writable folder, the program still counts as where
    // the file really is.
    ASSERT_EQ(RunProgram(program, folder, dataHome), 0);
    EXPECT_TRUE(fs::is_directory(perUser));
    fs::remove(perUser);
    fs::create_symlink(program, scratch.Path() / "nodescout-link");
    ASSERT_EQ(RunProgram(scratch.Path() / "nodescout-link", folder, dataHome), 0);
    EXPECT_TRUE(fs::is_directory(perUser));
}

} // namespace
