// Runs the GUI tests headless: a QApplication on the offscreen platform
// (unless the caller chose another), the test seam in strict mode so that a
// dialog or message box nobody answered ends at once instead of waiting.

#include "framework/TestSeam.h"
#include "framework/WinApp.h"

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
