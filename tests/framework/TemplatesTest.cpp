// Nodescout's dialog templates against the tables they were drawn from:
// every control's ID, kind, text, the styles that decide how it behaves, and
// its position in dialog units, in template (tab) order.

#include "tests/support/UiTest.h"

#include "ui/resource.h"

#include <QImage>

#include <string>
#include <vector>

namespace nodescout::ui_test {
namespace {

constexpr DWORD kBase = WS_CHILD | WS_VISIBLE;
constexpr DWORD kListViewMask = 0x3; // report, list, icon or small-icon view

struct ExpectedControl {
    int id = IDC_STATIC;
    ControlClass kind = ControlClass::Static;
    std::string text;
    DWORD typeMask = 0; // the bits that choose the variant...
    DWORD type = 0;     // ...and their value
    DWORD set = 0;      // styles that must be there
    DWORD clear = 0;    // styles that must not
    int x = 0, y = 0, cx = 0, cy = 0;
};

struct Pos {
    int x, y, cx, cy;
};

ExpectedControl Make(int id, ControlClass kind, std::string text, DWORD typeMask, DWORD type,
                     DWORD set, DWORD clear, Pos pos) {
    return {id,    kind,  std::move(text), typeMask, type,  kBase | set,
            clear, pos.x, pos.y,           pos.cx,   pos.cy};
}

// "OK" (ID 1), the default push button, with a tab stop, starting a group.
ExpectedControl DefaultOk(Pos pos) {
    return Make(IDOK, ControlClass::Button, "OK", BS_TYPEMASK, BS_DEFPUSHBUTTON,
                WS_TABSTOP | WS_GROUP, 0, pos);
}
// A push button with a tab stop, starting a group.
ExpectedControl Button(std::string text, int id, Pos pos) {
    return Make(id, ControlClass::Button, std::move(text), BS_TYPEMASK, BS_PUSHBUTTON,
                WS_TABSTOP | WS_GROUP, 0, pos);
}
// A push button with a tab stop that starts no group.
ExpectedControl UngroupedButton(std::string text, int id, Pos pos) {
    return Make(id, ControlClass::Button, std::move(text), BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP,
                WS_GROUP, pos);
}
// A plain left-aligned static text that starts a group.
ExpectedControl Label(std::string text, int id, Pos pos, DWORD extra = 0) {
    return Make(id, ControlClass::Static, std::move(text), SS_TYPEMASK, SS_LEFT, WS_GROUP | extra,
                0, pos);
}
// A bordered single-line left-aligned edit with horizontal auto-scroll and a tab stop.
ExpectedControl Edit(int id, Pos pos) {
    return Make(id, ControlClass::Edit, "", ES_CENTER | ES_RIGHT, ES_LEFT,
                WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
                ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL | ES_READONLY, pos);
}
// The same, multi-line with want-return and no vertical scrolling: Enter stays in the field.
ExpectedControl WantReturnEdit(int id, Pos pos) {
    return Make(id, ControlClass::Edit, "", ES_CENTER | ES_RIGHT, ES_LEFT,
                WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | ES_MULTILINE | ES_WANTRETURN,
                ES_AUTOVSCROLL | WS_VSCROLL | ES_READONLY, pos);
}
ExpectedControl EmptyGroupBox(Pos pos) {
    return Make(IDC_STATIC, ControlClass::Button, "", BS_TYPEMASK, BS_GROUPBOX, 0, 0, pos);
}
ExpectedControl Radio(std::string text, int id, bool bStartsGroup, Pos pos) {
    return Make(id, ControlClass::Button, std::move(text), BS_TYPEMASK, BS_AUTORADIOBUTTON,
                bStartsGroup ? WS_GROUP : 0, bStartsGroup ? 0 : WS_GROUP, pos);
}
ExpectedControl Line(Pos pos) {
    return Make(IDC_STATIC, ControlClass::Static, "", SS_TYPEMASK, SS_BLACKFRAME, 0, 0, pos);
}

struct ExpectedDialog {
    UINT id;
    std::string caption;
    int cx, cy;
    std::vector<ExpectedControl> controls;
};

// Every template but the About box (whose height is ours to choose) and the
// main window (checked below with its own styles).
std::vector<ExpectedDialog> SmallDialogs() {
    return {
        {IDD_IPRANGE,
         "IP Range",
         260,
         156,
         {
             DefaultOk({193, 105, 50, 14}),
             Label("IP1", 1009, {20, 13, 36, 8}),
             WantReturnEdit(1012, {20, 26, 64, 12}),
             Label("IP2", 1011, {103, 13, 36, 8}),
             WantReturnEdit(1010, {103, 26, 64, 12}),
             Make(1027, ControlClass::ListView, "", kListViewMask, LVS_REPORT,
                  WS_BORDER | WS_TABSTOP | LVS_SHOWSELALWAYS, LVS_SINGLESEL, {19, 44, 159, 97}),
             Button("Add", 3, {193, 44, 50, 14}),
             Button("Edit", 4, {193, 65, 50, 14}),
             Button("Remove", 5, {193, 84, 50, 14}),
             Button("Cancel", IDCANCEL, {193, 124, 50, 14}),
             EmptyGroupBox({7, 2, 246, 145}),
         }},
        {IDD_IPINPUT,
         "",
         235,
         55,
         {
             DefaultOk({162, 8, 50, 14}),
             Label("IP Address", 1009, {12, 20, 52, 8}),
             Edit(1008, {75, 17, 68, 12}),
             Button("Cancel", IDCANCEL, {162, 27, 50, 14}),
         }},
        {IDD_FINDMAC,
         "",
         235,
         77,
         {
             DefaultOk({165, 9, 50, 14}),
             Label("IP Address 1", 1009, {12, 11, 52, 8}),
             Edit(1012, {66, 9, 77, 12}),
             Label("IP Address 2", 1011, {12, 28, 52, 8}),
             Edit(1010, {66, 27, 77, 12}),
             Label("MAC Address", 1014, {11, 47, 52, 8}),
             Edit(1013, {65, 46, 77, 12}),
             Button("Cancel", IDCANCEL, {165, 27, 50, 14}),
         }},
        {IDD_EXPORT_FORMAT,
         "Export Format",
         217,
         67,
         {
             Radio("Excel File", 1014, false, {25, 38, 64, 10}),
             Radio("Text File", 1015, true, {25, 20, 64, 10}),
             UngroupedButton("OK", IDOK, {140, 15, 50, 14}),
             UngroupedButton("Cancel", IDCANCEL, {140, 37, 50, 14}),
             EmptyGroupBox({7, 2, 203, 58}),
         }},
        {IDD_INFO,
         "Info",
         235,
         103,
         {
             DefaultOk({173, 16, 50, 14}),
             Label("IP Address", 1009, {23, 39, 52, 8}),
             Edit(1022, {86, 38, 68, 12}),
             Label("MAC Address", 1010, {23, 56, 52, 8}),
             Edit(1011, {86, 56, 68, 12}),
             EmptyGroupBox({7, 2, 221, 93}),
             // Widened from 52 so the whole text shows in the dialog font; it
             // still ends before the edit beside it (x 86).
             Label("Computer Name", 1012, {23, 73, 56, 8}),
             Edit(1013, {86, 71, 68, 12}),
             Edit(1026, {86, 18, 68, 12}),
             Label("Index", 1014, {23, 22, 52, 8}),
             Button("Cancel", IDCANCEL, {173, 35, 50, 14}),
         }},
        {IDD_AUTOSCAN,
         "Auto Scan Options",
         276,
         76,
         {
             DefaultOk({198, 15, 50, 14}),
             Label("Scan IP1", 1009, {28, 16, 65, 8}),
             Edit(1012, {98, 12, 77, 12}),
             Label("Scan IP2", 1011, {28, 32, 65, 8}),
             Edit(1010, {98, 29, 77, 12}),
             Button("Cancel", IDCANCEL, {198, 34, 50, 14}),
             Edit(1024, {98, 47, 77, 12}),
             Label("Scan Interval(s)", IDC_STATIC, {28, 49, 65, 8}),
         }},
    };
}

std::vector<ExpectedControl> MainWindowControls() {
    constexpr DWORD kListStyles =
        LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS | WS_BORDER | WS_TABSTOP;
    return {
        Make(1000, ControlClass::ListView, "", kListViewMask, LVS_REPORT, kListStyles,
             LVS_SINGLESEL, {14, 41, 311, 129}),
        Line({14, 34, 312, 1}),
        UngroupedButton("IP => MAC", 1001, {66, 11, 43, 15}),
        Make(1002, ControlClass::Progress, "", 0, 0, PBS_SMOOTH | WS_BORDER, 0, {74, 178, 174, 11}),
        UngroupedButton("MAC => IP", 1003, {118, 11, 43, 15}),
        UngroupedButton("Retr All", 1004, {14, 11, 43, 15}),
        UngroupedButton("Export", 1005, {170, 11, 43, 15}),
        UngroupedButton("Clear", 1007, {284, 11, 43, 15}),
        Line({14, 196, 311, 1}),
        UngroupedButton("Wake On Lan", 1013, {222, 11, 53, 15}),
        Make(1023, ControlClass::Button, "Auto Scan", BS_TYPEMASK, BS_AUTOCHECKBOX,
             BS_PUSHLIKE | WS_TABSTOP, 0, {17, 177, 49, 13}),
        Label(kProductWebAddress, 1034, {15, 204, 189, 8}),
        Label("", 1036, {253, 179, 70, 8}),
    };
}

void ExpectControls(const DialogTemplate& dialog, const std::vector<ExpectedControl>& expected) {
    ASSERT_EQ(dialog.controls.size(), expected.size()) << "template " << dialog.id;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const ControlTemplate& actual = dialog.controls[i];
        const ExpectedControl& want = expected[i];
        SCOPED_TRACE("template " + std::to_string(dialog.id) + ", control " + std::to_string(i) +
                     " (ID " + std::to_string(want.id) + " \"" + want.text + "\")");
        EXPECT_EQ(actual.id, want.id);
        EXPECT_EQ(actual.kind, want.kind);
        EXPECT_EQ(std::string(actual.text), want.text);
        EXPECT_EQ(actual.style & want.typeMask, want.type);
        EXPECT_EQ(actual.style & want.set, want.set);
        EXPECT_EQ(actual.style & want.clear, 0u);
        EXPECT_EQ((std::vector<int>{actual.x, actual.y, actual.cx, actual.cy}),
                  (std::vector<int>{want.x, want.y, want.cx, want.cy}));
    }
}

void ExpectFrame(const DialogTemplate& dialog) {
    EXPECT_EQ(std::string(dialog.fontFace), "MS Sans Serif");
    EXPECT_EQ(dialog.fontPointSize, 8);
    constexpr DWORD kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    EXPECT_EQ(dialog.style & kFrame, kFrame);
    EXPECT_EQ(dialog.style & WS_THICKFRAME, 0u) << "dialogs keep their size";
}

using TemplatesTest = UiTest;

TEST_F(TemplatesTest, SmallDialogsMatchTheirTables) {
    for (const ExpectedDialog& expected : SmallDialogs()) {
        const DialogTemplate* dialog = AfxFindDialogTemplate(expected.id);
        ASSERT_NE(dialog, nullptr) << expected.id;
        SCOPED_TRACE("template " + std::to_string(expected.id));
        EXPECT_EQ(std::string(dialog->caption), expected.caption);
        EXPECT_EQ(dialog->cx, expected.cx);
        EXPECT_EQ(dialog->cy, expected.cy);
        ExpectFrame(*dialog);
        EXPECT_EQ(dialog->style & WS_MINIMIZEBOX, 0u);
        EXPECT_EQ(dialog->exStyle & WS_EX_APPWINDOW, 0u);
        ExpectControls(*dialog, expected.controls);
    }
}

TEST_F(TemplatesTest, MainWindowIsAVisibleMinimisableAppWindowWithoutOkOrDefaultButton) {
    const DialogTemplate* dialog = AfxFindDialogTemplate(IDD_NODESCOUT_DIALOG);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(std::string(dialog->caption), "Nodescout 2.1");
    EXPECT_EQ(dialog->cx, 341);
    EXPECT_EQ(dialog->cy, 223);
    ExpectFrame(*dialog);
    EXPECT_EQ(dialog->style & (WS_VISIBLE | WS_MINIMIZEBOX), WS_VISIBLE | WS_MINIMIZEBOX);
    EXPECT_EQ(dialog->style & WS_MAXIMIZEBOX, 0u);
    EXPECT_EQ(dialog->exStyle, WS_EX_APPWINDOW);
    ExpectControls(*dialog, MainWindowControls());
    for (const ControlTemplate& control : dialog->controls) {
        EXPECT_NE(control.id, IDOK);
        if (control.kind == ControlClass::Button) {
            EXPECT_NE(control.style & BS_TYPEMASK, BS_DEFPUSHBUTTON) << control.text;
        }
    }
}

TEST_F(TemplatesTest, AboutBoxShowsTheIconTheVersionAndADefaultOk) {
    const DialogTemplate* dialog = AfxFindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(std::string(dialog->caption), "About Nodescout");
    EXPECT_EQ(dialog->cx, 242);
    EXPECT_GE(dialog->cy, 25 + 8) << "room for the second line";
    ExpectFrame(*dialog);
    ASSERT_EQ(dialog->controls.size(), 4u);
    EXPECT_EQ(dialog->controls[0].iconId, IDR_MAINFRAME);
    ExpectControls(
        *dialog,
        {
            Make(IDC_STATIC, ControlClass::Static, "", SS_TYPEMASK, SS_ICON, 0, 0, {7, 9, 20, 20}),
            Label("Nodescout Version 2.0", IDC_STATIC, {40, 10, 119, 8}, SS_NOPREFIX),
            Label(dialog->controls[2].text, IDC_STATIC, {40, 25, 119, 8}),
            DefaultOk({168, 12, 50, 14}),
        });
    EXPECT_NE(std::string(dialog->controls[2].text), "");
}

TEST_F(TemplatesTest, StringsAndTheIconAreThere) {
    std::string text;
    EXPECT_TRUE(AfxLoadString(IDS_ABOUTBOX, text));
    EXPECT_EQ(text, "&About Nodescout...");
    EXPECT_TRUE(AfxLoadString(IDP_SOCKETS_INIT_FAILED, text));
    EXPECT_EQ(text, "Windows sockets initialization failed.");
    EXPECT_TRUE(AfxLoadString(57344, text));
    EXPECT_EQ(text, "Nodescout");
    EXPECT_EQ(IDM_ABOUTBOX, 16u);

    const IconResource* icon = AfxFindIconResource(128);
    ASSERT_NE(icon, nullptr);
    QImage image;
    ASSERT_TRUE(
        image.loadFromData(static_cast<const uchar*>(icon->image), static_cast<int>(icon->size)));
    EXPECT_EQ(image.size(), QSize(32, 32));
}

} // namespace
} // namespace nodescout::ui_test
