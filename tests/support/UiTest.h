#pragma once

// The window fixture (tests/support/GuiTest.h) with Nodescout's own
// resources, under the name the tests of Nodescout's windows use, and the
// shared helpers for open dialogs in their namespace.

#include "tests/support/GuiTest.h"
#include "ui/Resources.h"
#include "ui/resource.h"

namespace nodescout::ui_test {

using UiTest = test::WindowTest<NodescoutResources>;

using test::ButtonOf;
using test::EditOf;
using test::PressKeyIn;
using test::TextOf;
using test::WidgetOf;

// The main window's list and progress bar.
inline CListCtrl& ListOf(const CWnd& dialog) {
    return *dynamic_cast<CListCtrl*>(dialog.GetDlgItem(IDC_LIST));
}
inline CProgressCtrl& ProgressOf(const CWnd& dialog) {
    return *dynamic_cast<CProgressCtrl*>(dialog.GetDlgItem(IDC_PROGRESS));
}

} // namespace nodescout::ui_test
