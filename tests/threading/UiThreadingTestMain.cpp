// The UI-thread calls and worker stops, headless, with the test seam strict.

#include "platform/framework/TestSeam.h"
#include "platform/framework/WinApp.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    nodescout::CWinApp application("Nodescout");
    QApplication qtApplication(argc, argv);
    nodescout::AfxEnsureUi();
    nodescout::UiTestSeam::SetStrict(true);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
