#include "app/AppDirectory.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

namespace nodescout {
namespace {

AppDirectoryInputs Inputs(std::string executable, std::set<std::string> writable) {
    AppDirectoryInputs inputs;
    inputs.executablePath = std::move(executable);
    inputs.home = "/home/ann";
    inputs.canWriteIn = [writable](const std::string& folder) {
        return writable.count(folder) > 0;
    };
    return inputs;
}

TEST(AppDirectory, BesideTheExecutableWhenItCanWriteThere) {
    EXPECT_EQ(ChooseAppDirectory(Inputs("/home/ann/My Tools/nodescout", {"/home/ann/My Tools"})),
              "/home/ann/My Tools");
}

TEST(AppDirectory, PerUserFolderForAnInstalledOrReadOnlyProgram) {
    test::TempDir temp;
    const std::string dataHome = temp.File("data");
    const std::string expected = dataHome + "/nodescout";

    AppDirectoryInputs readOnly = Inputs("/media/cdrom/nodescout", {expected});
    readOnly.xdgDataHome = dataHome;
    EXPECT_EQ(ChooseAppDirectory(readOnly), expected);
    EXPECT_TRUE(std::filesystem::is_directory(expected)) << "made on demand";

    // Root may write into /usr/bin, but an installed program keeps its
    // files out of it.
    AppDirectoryInputs installed = Inputs("/usr/bin/nodescout", {"/usr/bin", expected});
    installed.xdgDataHome = dataHome;
    EXPECT_EQ(ChooseAppDirectory(installed), expected);
}

TEST(AppDirectory, HomeDefaultAndRelativeXdgIgnored) {
    test::TempDir temp;
    AppDirectoryInputs inputs = Inputs("/usr/bin/nodescout", {});
    inputs.home = temp.Path().string();
    inputs.xdgDataHome = "relative/data";
    const std::string expected = inputs.home + "/.local/share/nodescout";
    inputs.canWriteIn = [&](const std::string& folder) { return folder == expected; };
    EXPECT_EQ(ChooseAppDirectory(inputs), expected);
}

TEST(AppDirectory, NoFolderWhenNothingFitsOrCanBeWritten) {
    AppDirectoryInputs nothing = Inputs("/usr/bin/nodescout", {});
    nothing.home.clear();
    EXPECT_EQ(ChooseAppDirectory(nothing), "");

    const std::string deep = "/" + std::string(300, 'd');
    AppDirectoryInputs tooLong = Inputs(deep + "/nodescout", {deep});
    tooLong.home.clear();
    EXPECT_EQ(ChooseAppDirectory(tooLong), "");
}

} // namespace
} // namespace nodescout
