// Start-up when the network cannot be used: the message, where it goes, and
// that nothing else happens. (The command line itself: CommandLineTest.)

#include "app/NodescoutApp.h"

#include "framework/Templates.h"
#include "framework/TestSeam.h"
#include "platform/process/AppPaths.h"
#include "tests/support/ScopedAppFolder.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nodescout {
namespace {

class AppWithoutSockets : public CNodescoutApp {
protected:
    bool SocketsAvailable() override { return false; }
};

class NodescoutAppTest : public testing::Test {
protected:
    void SetUp() override {
        UiTestSeam::SetStrict(true);
        UiTestSeam::Reset();
    }
    void TearDown() override {
        UiTestSeam::Reset();
        UiTestSeam::SetStrict(false);
        AfxRemoveResources(NodescoutResources());
    }

    // Runs start-up with the arguments; the exit status.
    static int Start(CWinApp& app, std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "nodescout");
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        app.SetArguments(static_cast<int>(arguments.size()), argv.data());
        EXPECT_EQ(app.InitInstance(), FALSE);
        return app.ExitInstance();
    }

private:
    // Start-up sets the paths; they are put back after every test.
    const test::ScopedAppFolder m_paths;
};

TEST_F(NodescoutAppTest, WithoutSocketsTheCommandLineSaysSoOnStandardErrorAndSendsNothing) {
    AppWithoutSockets app;
    testing::internal::CaptureStderr();
    EXPECT_EQ(Start(app, {"-w", "001122aabbcc"}), CNodescoutApp::kExitNoSockets);
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "nodescout: Windows sockets initialization failed.\n");
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty());
}

TEST_F(NodescoutAppTest, WithoutSocketsTheWindowIsNotShownAndAMessageBoxSaysSo) {
    AppWithoutSockets app;
    UiTestSeam::QueueMessageBoxAnswer(IDOK);
    EXPECT_EQ(Start(app, {}), CNodescoutApp::kExitNoSockets);
    const auto boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "Windows sockets initialization failed.");
    EXPECT_EQ(boxes[0].caption, "Nodescout");
    EXPECT_EQ(boxes[0].type & MB_TYPEMASK, MB_OK);
    EXPECT_TRUE(UiTestSeam::ModalRuns().empty());
}

} // namespace
} // namespace nodescout
