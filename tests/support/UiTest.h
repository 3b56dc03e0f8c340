#pragma once

// What the tests of Nodescout's own windows share: a fixture that makes the
// program's resources known and checks that every modal run and message box
// was answered, and small helpers for open dialogs.

#include "framework/Framework.h"
#include "ui/Resources.h"

#include <gtest/gtest.h>

#include <string>

class QWidget;

namespace nodescout::ui_test {

class UiTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
};

// The text of control nID of an open dialog.
std::string TextOf(const CWnd& dialog, int nID);
// The edit nID of an open dialog.
CEdit& EditOf(const CWnd& dialog, int nID);
CButton& ButtonOf(const CWnd& dialog, int nID);
// The widget of control nID, to send keys to.
QWidget* WidgetOf(const CWnd& dialog, int nID);
// A key press, as the user makes it, to control nID (after giving it the focus).
void PressKeyIn(CDialog& dialog, int nID, int key);

} // namespace nodescout::ui_test
