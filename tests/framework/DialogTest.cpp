// Dialogs: layout from dialog units, keyboard order, Enter, Escape and the
// close box, the modal run and the system-menu stand-in.

#include "tests/support/GuiTest.h"

#include <QApplication>
#include <QFontInfo>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace nodescout::test {
namespace {

using DialogTest = GuiTest;

QRect GeometryOf(CDialog& dialog, int id) {
    CWnd* control = dialog.GetDlgItem(id);
    return control && control->GetQtWidget() ? control->GetQtWidget()->geometry() : QRect();
}

TEST_F(DialogTest, LaysOutControlsFromDialogUnitsWithTheRealFont) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& open) {
        const QFontInfo font(open.GetQtWidget()->font());
        EXPECT_EQ(font.family(), "DejaVu Sans Condensed");
        EXPECT_EQ(font.pixelSize(), 11);
        // Base units 6 x 13. Client 260 x 156 units; x * 6 / 4 and y * 13 / 8,
        // rounded to nearest.
        EXPECT_EQ(open.GetQtWidget()->size(), QSize(390, 254));
        EXPECT_EQ(GeometryOf(open, IDOK), QRect(290, 171, 75, 23));
        EXPECT_EQ(GeometryOf(open, IDC_EDIT_IP1), QRect(30, 42, 96, 20));
        EXPECT_EQ(GeometryOf(open, IDC_LIST), QRect(29, 72, 239, 158));
        // Not resizable: the size is fixed.
        EXPECT_EQ(open.GetQtWidget()->minimumSize(), open.GetQtWidget()->maximumSize());
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST_F(DialogTest, TabOrderFollowsTheTemplateAndGroupsEndAtTheNextGroupStart) {
    TestDialog dialog(IDD_SAMPLE_CHOICE);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& open) {
        // Tab stops in template order: Text File, OK, Cancel, Auto Scan.
        std::vector<CWnd*> order;
        CWnd* control = open.GetNextDlgTabItem(nullptr);
        for (int i = 0; i < 5 && control; ++i) {
            order.push_back(control);
            control = open.GetNextDlgTabItem(control);
        }
        const auto item = [&](int nID) { return open.GetDlgItem(nID); };
        EXPECT_EQ(order, (std::vector<CWnd*>{item(IDC_TEXT), item(IDOK), item(IDCANCEL),
                                             item(IDC_AUTOSCAN), item(IDC_TEXT)}));
        EXPECT_EQ(open.GetNextDlgTabItem(item(IDOK), TRUE), item(IDC_TEXT));
        // "Excel File" is a group by itself; "Text File" starts one that runs
        // over "Other", OK and Cancel up to the check box.
        CWnd* excel = open.GetDlgItem(IDC_EXCEL);
        EXPECT_EQ(open.GetNextDlgGroupItem(excel), excel);
        CWnd* text = open.GetDlgItem(IDC_TEXT);
        EXPECT_EQ(open.GetNextDlgGroupItem(text), item(IDC_OTHER));
        EXPECT_EQ(open.GetNextDlgGroupItem(text, TRUE), item(IDCANCEL));
    });
    dialog.DoModal();
}

TEST_F(DialogTest, AutomaticRadioButtonsAreExclusiveWithinTheirGroupOnly) {
    TestDialog dialog(IDD_SAMPLE_CHOICE);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& open) {
        auto button = [&](int id) { return static_cast<CButton*>(open.GetDlgItem(id)); };
        button(IDC_EXCEL)->Click();
        button(IDC_TEXT)->Click();
        EXPECT_EQ(button(IDC_EXCEL)->GetCheck(), BST_CHECKED); // another group
        EXPECT_EQ(button(IDC_TEXT)->GetCheck(), BST_CHECKED);
        button(IDC_OTHER)->Click();
        EXPECT_EQ(button(IDC_TEXT)->GetCheck(), BST_UNCHECKED);
        button(IDC_OTHER)->Click(); // a second click keeps it checked
        EXPECT_EQ(button(IDC_OTHER)->GetCheck(), BST_CHECKED);
        // Tab into the group lands on its checked button; Up walks the group
        // backwards and checks the radio button it reaches.
        PressKeyIn(open, IDC_AUTOSCAN, Qt::Key_Tab);
        EXPECT_EQ(FocusOf(open), button(IDC_OTHER)->GetQtWidget());
        PressKey(FocusOf(open), Qt::Key_Up);
        EXPECT_EQ(FocusOf(open), button(IDC_TEXT)->GetQtWidget());
        EXPECT_EQ(button(IDC_TEXT)->GetCheck(), BST_CHECKED);
        EXPECT_EQ(button(IDC_OTHER)->GetCheck(), BST_UNCHECKED);
        PressKey(FocusOf(open), Qt::Key_Up); // past the group's start: its end
        EXPECT_EQ(FocusOf(open), button(IDCANCEL)->GetQtWidget());
    });
    dialog.DoModal();
}

TEST_F(DialogTest, FocusStartsOnTheFirstTabStopAndTheDefaultButtonIsMarked) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& open) {
        EXPECT_EQ(FocusOf(open), open.GetDlgItem(IDOK)->GetQtWidget());
        EXPECT_TRUE(dynamic_cast<QPushButton*>(open.GetDlgItem(IDOK)->GetQtWidget())->isDefault());
        PressKey(FocusOf(open), Qt::Key_Tab);
        EXPECT_EQ(FocusOf(open), open.GetDlgItem(IDC_EDIT_IP1)->GetQtWidget());
    });
    dialog.DoModal();
}

TEST_F(DialogTest, EnterPressesTheFocusedPushButtonElseTheDefaultOne) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    UiTestSeam::QueueModalAnswer(0, [&](CDialog& open) {
        PressKeyIn(open, IDC_ADD, Qt::Key_Return);
        EXPECT_EQ(dialog.calls, (std::vector<std::string>{"OnAdd"}));
        PressKeyIn(open, IDC_EDIT_IP2, Qt::Key_Enter, Qt::KeypadModifier);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.calls, (std::vector<std::string>{"OnAdd", "OnOK"}));
}

TEST_F(DialogTest, EnterWithoutDefaultButtonRunsOkAndAWantReturnEditKeepsEnter) {
    TestDialog main(IDD_SAMPLE_MAIN);
    UiTestSeam::QueueModalAnswer(0, [](CDialog& open) {
        EXPECT_EQ(FocusOf(open), open.GetDlgItem(IDC_LIST)->GetQtWidget());
        PressKey(FocusOf(open), Qt::Key_Return);
    });
    EXPECT_EQ(main.DoModal(), IDOK);
    EXPECT_EQ(main.calls, (std::vector<std::string>{"OnOK"}));

    TestDialog range(IDD_SAMPLE_RANGE);
    UiTestSeam::QueueModalAnswer(0, [&](CDialog& open) {
        PressKeyIn(open, IDC_EDIT_IP1, Qt::Key_Return);
        EXPECT_EQ(TextOf(open, IDC_EDIT_IP1), "");
        EXPECT_TRUE(range.calls.empty());
        PressKey(FocusOf(open), Qt::Key_Escape);
    });
    EXPECT_EQ(range.DoModal(), IDCANCEL);
    EXPECT_EQ(range.calls, (std::vector<std::string>{"OnCancel"}));
}

TEST_F(DialogTest, EscapeAndTheCloseBoxRunOnCancel) {
    TestDialog escape(IDD_SAMPLE_RANGE);
    UiTestSeam::QueueModalAnswer(0,
                                 [](CDialog& open) { PressKeyIn(open, IDC_LIST, Qt::Key_Escape); });
    EXPECT_EQ(escape.DoModal(), IDCANCEL);
    EXPECT_EQ(escape.calls, (std::vector<std::string>{"OnCancel"}));

    TestDialog closeBox(IDD_SAMPLE_MAIN);
    UiTestSeam::QueueModalAnswer(0, [](CDialog& open) { open.GetQtWidget()->close(); });
    EXPECT_EQ(closeBox.DoModal(), IDCANCEL);
    EXPECT_EQ(closeBox.calls,
              (std::vector<std::string>{"OnSysCommand " + std::to_string(SC_CLOSE), "OnCancel"}));
}

TEST_F(DialogTest, EndingInOnInitDialogReturnsAtOnceAndDestroysTheWindow) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    dialog.onInit = [](TestDialog& open) { open.EndDialog(42); };
    EXPECT_EQ(dialog.DoModal(), 42); // strict seam: no answer was needed
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    EXPECT_EQ(dialog.m_List.GetSafeHwnd(), nullptr);
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{IDD_SAMPLE_RANGE}));
}

TEST_F(DialogTest, AMissingTemplateOrAnUnansweredRunEndsWithMinusOne) {
    TestDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
    TestDialog unanswered(IDD_SAMPLE_RANGE);
    EXPECT_EQ(unanswered.DoModal(), -1);
    EXPECT_EQ(UiTestSeam::UnansweredCount(), 1);
    UiTestSeam::Reset();
}

TEST_F(DialogTest, RealModalLoopEndsFromAnEventAndNestedRunsUnwind) {
    UiTestSeam::SetStrict(false);
    TestDialog outer(IDD_SAMPLE_MAIN);
    TestDialog inner(IDD_SAMPLE_RANGE);
    bool innerShown = false;
    // Each step waits for the state only the step before produces; the
    // watchdog ends every run if a step never comes.
    QTimer step;
    step.setInterval(10);
    QObject::connect(&step, &QTimer::timeout, [&] {
        if (!innerShown && outer.GetSafeHwnd() && outer.GetQtWidget()->isVisible()) {
            innerShown = true;
            QTimer::singleShot(0, [&] { EXPECT_EQ(inner.DoModal(), IDCANCEL); });
        } else if (inner.GetSafeHwnd() && inner.GetQtWidget()->isVisible()) {
            PressKey(inner.GetDlgItem(IDCANCEL)->GetQtWidget(), Qt::Key_Space);
        } else if (innerShown && !inner.GetSafeHwnd() && outer.GetSafeHwnd()) {
            outer.EndDialog(IDOK);
        }
    });
    step.start();
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the modal runs did not end";
        inner.EndDialog(-1);
        outer.EndDialog(-1);
    });
    watchdog.start(5000);
    EXPECT_EQ(outer.DoModal(), IDOK);
    UiTestSeam::SetStrict(true);
    EXPECT_TRUE(innerShown);
    EXPECT_EQ(inner.calls, (std::vector<std::string>{"OnCancel"}));
}

// A 4 x 4 red square as an image file.
constexpr char kRedSquare[] = "/* XPM */\n"
                              "static const char* red[] = {\"4 4 1 1\", \"r c #FF0000\",\n"
                              "\"rrrr\", \"rrrr\", \"rrrr\", \"rrrr\"};\n";
constexpr IconResource kIcons[] = {{128, kRedSquare, sizeof kRedSquare - 1}};
constexpr StringResource kStrings[] = {{101, "&About Nodescout..."}};
constexpr ControlTemplate kAboutControls[] = {
    Icon(128, 1100, 7, 9, 20, 20),
    LText("Nodescout Version 2.0", IDC_STATIC, 40, 10, 119, 8, SS_NOPREFIX),
    DefPushButton("OK", IDOK, 168, 12, 50, 14, WS_GROUP),
};
constexpr DialogTemplate kAboutTemplates[] = {
    {100, kModalDialogStyle, 0, 242, 40, "About Nodescout", "MS Sans Serif", 8, kAboutControls}};
constexpr ResourceTable kAboutResources{kAboutTemplates, kStrings, kIcons};

TEST_F(DialogTest, IconsAndStringsComeFromTheResourceTables) {
    AfxAddResources(kAboutResources);
    const HICON icon = AfxLoadIcon(128);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(AfxLoadIcon(128), icon); // shared
    EXPECT_EQ(AfxLoadIcon(129), nullptr);
    std::string text;
    EXPECT_TRUE(AfxLoadString(101, text));
    EXPECT_EQ(text, "&About Nodescout...");
    EXPECT_FALSE(AfxLoadString(102, text));
    CDialog about(100);
    UiTestSeam::QueueModalAnswer(IDOK, [icon](CDialog& open) {
        open.SetIcon(icon, TRUE);
        EXPECT_FALSE(open.GetQtWidget()->windowIcon().isNull());
        auto* picture = static_cast<CStatic*>(open.GetDlgItem(1100));
        EXPECT_EQ(picture->GetQtWidget()->size(), QSize(32, 32));
        EXPECT_EQ(picture->GetQtWidget()->grab().toImage().pixel(16, 16), qRgb(255, 0, 0));
    });
    EXPECT_EQ(about.DoModal(), IDOK);
    AfxRemoveResources(kAboutResources);
}

TEST_F(DialogTest, TheFirstMatchingTableEntryHandlesAMessage) {
    std::vector<int> called;
    struct Target : CWnd {};
    const MessageMap map{
        MessageEntry{WM_COMMAND, BN_CLICKED, 5,
                     [&](CWnd&, WPARAM, LPARAM) -> LRESULT { return called.push_back(1), 0; }},
        MessageEntry{WM_COMMAND, BN_CLICKED, 5,
                     [&](CWnd&, WPARAM, LPARAM) -> LRESULT { return called.push_back(2), 0; }},
    };
    Target target;
    const MessageEntry* entry = map.Find(WM_COMMAND, MAKEWPARAM(5, BN_CLICKED), 0);
    ASSERT_NE(entry, nullptr);
    entry->invoke(target, 0, 0);
    EXPECT_EQ(called, (std::vector<int>{1}));
    EXPECT_EQ(map.Find(WM_COMMAND, MAKEWPARAM(6, BN_CLICKED), 0), nullptr);
    EXPECT_EQ(map.Find(WM_COMMAND, MAKEWPARAM(5, EN_CHANGE), 0), nullptr);
}

TEST_F(DialogTest, SystemMenuStandInShowsAppendedItemsAndCallsOnSysCommand) {
    TestDialog dialog(IDD_SAMPLE_MAIN);
    dialog.onInit = [](TestDialog& open) {
        CMenu* menu = open.GetSystemMenu(FALSE);
        ASSERT_NE(menu, nullptr);
        // The dialog's own items come first: Minimize (it has the box) and Close.
        ASSERT_EQ(menu->Items().size(), 2u);
        EXPECT_EQ(menu->Items()[1].id, SC_CLOSE);
        menu->AppendMenu(MF_SEPARATOR);
        menu->AppendMenu(MF_STRING, 16, "&About Nodescout...");
    };
    auto chooseAbout = [](QWidget* dialogWidget) {
        auto* menu = dynamic_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->parentWidget(), dialogWidget);
        QAction* about = nullptr;
        for (QAction* action : menu->actions()) {
            if (action->text() == "&About Nodescout...") {
                about = action;
            }
        }
        ASSERT_NE(about, nullptr);
        menu->close();
        about->trigger();
    };
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog& open) {
        QWidget* widget = open.GetQtWidget();
        // A right click on the background (the status label lets clicks through).
        const QPoint status = open.GetDlgItem(IDC_STATUS)->GetQtWidget()->geometry().center();
        RightClickAt(open, status);
        chooseAbout(widget);
        // Alt+Space.
        QApplication::setActiveWindow(widget);
        PressKey(FocusOf(open), Qt::Key_Space, Qt::AltModifier);
        chooseAbout(widget);
    });
    dialog.DoModal();
    EXPECT_EQ(dialog.calls,
              (std::vector<std::string>{"OnSysCommand 16", "OnSysCommand 16", "OnCancel"}));
}

} // namespace
} // namespace nodescout::test
