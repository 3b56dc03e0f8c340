#include "tests/support/UiTest.h"

#include "tests/support/GuiTest.h"

#include <QWidget>

#include <stdexcept>

namespace nodescout::ui_test {

void UiTest::SetUp() {
    AfxAddResources(NodescoutResources());
    UiTestSeam::Reset();
}

void UiTest::TearDown() {
    EXPECT_EQ(UiTestSeam::UnansweredCount(), 0) << "a modal run or message box was not answered";
    EXPECT_EQ(UiTestSeam::PendingAnswerCount(), 0) << "a queued answer was not used";
    UiTestSeam::Reset();
    AfxRemoveResources(NodescoutResources());
}

std::string TextOf(const CWnd& dialog, int nID) {
    std::string text;
    dialog.GetDlgItemText(nID, text);
    return text;
}

namespace {

template <class T>
T& ControlOf(const CWnd& dialog, int nID) {
    auto* control = dynamic_cast<T*>(dialog.GetDlgItem(nID));
    if (!control) {
        throw std::logic_error("no control " + std::to_string(nID) + " of that kind");
    }
    return *control;
}

} // namespace

CEdit& EditOf(const CWnd& dialog, int nID) {
    return ControlOf<CEdit>(dialog, nID);
}

CButton& ButtonOf(const CWnd& dialog, int nID) {
    return ControlOf<CButton>(dialog, nID);
}

QWidget* WidgetOf(const CWnd& dialog, int nID) {
    CWnd* control = dialog.GetDlgItem(nID);
    return control ? control->GetQtWidget() : nullptr;
}

void PressKeyIn(CDialog& dialog, int nID, int key) {
    dialog.GotoDlgCtrl(dialog.GetDlgItem(nID));
    test::PressKey(test::FocusOf(dialog), key);
}

} // namespace nodescout::ui_test
