#pragma once

// The window fixture (tests/support/GuiTest.h) with Nodescout's own
// resources, under the name the tests of Nodescout's windows use, and the
// shared helpers for open dialogs in their namespace.

#include "tests/support/GuiTest.h"
#include "ui/Resources.h"

namespace nodescout::ui_test {

using UiTest = test::WindowTest<NodescoutResources>;

using test::ButtonOf;
using test::EditOf;
using test::PressKeyIn;
using test::TextOf;
using test::WidgetOf;

} // namespace nodescout::ui_test
