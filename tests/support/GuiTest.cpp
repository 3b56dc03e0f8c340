#include "tests/support/GuiTest.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>
#include <QtTest/QTest>

#include <stdexcept>

namespace nodescout::test {

namespace {

constexpr DWORD kDialogStyle = kModalDialogStyle;

constexpr ControlTemplate kRangeControls[] = {
    DefPushButton("OK", IDOK, 193, 105, 50, 14, WS_GROUP),
    LText("IP1", IDC_LABEL1, 20, 13, 36, 8),
    EditText(IDC_EDIT_IP1, 20, 26, 64, 12, ES_AUTOHSCROLL | ES_MULTILINE | ES_WANTRETURN),
    LText("IP2", IDC_LABEL2, 103, 13, 36, 8),
    EditText(IDC_EDIT_IP2, 103, 26, 64, 12, ES_AUTOHSCROLL),
    Control("", IDC_LIST, ControlClass::ListView,
            LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS | WS_BORDER | WS_TABSTOP, 19, 44, 159,
            97),
    PushButton("Add", IDC_ADD, 193, 44, 50, 14, WS_GROUP),
    PushButton("Cancel", IDCANCEL, 193, 124, 50, 14, WS_GROUP),
    GroupBox("", IDC_STATIC, 7, 2, 246, 145),
};

constexpr ControlTemplate kChoiceControls[] = {
    AutoRadioButton("Excel File", IDC_EXCEL, 25, 38, 64, 10),
    AutoRadioButton("Text File", IDC_TEXT, 25, 20, 64, 10, WS_GROUP | WS_TABSTOP),
    AutoRadioButton("Other", IDC_OTHER, 25, 56, 64, 10),
    PushButton("OK", IDOK, 140, 15, 50, 14),
    PushButton("Cancel", IDCANCEL, 140, 37, 50, 14),
    Control("Auto Scan", IDC_AUTOSCAN, ControlClass::Button,
            BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP | WS_GROUP, 17, 77, 49, 13),
    Control("", IDC_PROGRESS, ControlClass::Progress, PBS_SMOOTH | WS_BORDER, 74, 78, 100, 11),
    Control("", IDC_STATIC, ControlClass::Static, SS_BLACKFRAME, 14, 96, 190, 1),
    LText("file:///usr/share/doc/nodescout/README.md", IDC_LINK, 15, 102, 189, 8),
    GroupBox("", IDC_STATIC, 7, 2, 203, 70),
};

constexpr ControlTemplate kMainControls[] = {
    Control("", IDC_LIST, ControlClass::ListView,
            LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS | WS_BORDER | WS_TABSTOP, 14, 41, 311,
            129),
    PushButton("Add", IDC_ADD, 14, 11, 43, 15),
    Control("Auto Scan", IDC_AUTOSCAN, ControlClass::Button,
            BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 17, 177, 49, 13),
    LText("", IDC_STATUS, 253, 179, 70, 8),
};

constexpr DialogTemplate kRangeTemplate{IDD_SAMPLE_RANGE, kDialogStyle,    0, 260,           156,
                                        "IP Range",       "MS Sans Serif", 8, kRangeControls};
constexpr DialogTemplate kChoiceTemplate{
    IDD_SAMPLE_CHOICE, kDialogStyle, 0, 217, 112, "Choice", "MS Sans Serif", 8, kChoiceControls};
constexpr DialogTemplate kMainTemplate{IDD_SAMPLE_MAIN,
                                       kDialogStyle | WS_MINIMIZEBOX,
                                       WS_EX_APPWINDOW,
                                       341,
                                       223,
                                       "Main",
                                       "MS Sans Serif",
                                       8,
                                       kMainControls};

constexpr DialogTemplate kTemplates[] = {kRangeTemplate, kChoiceTemplate, kMainTemplate};
constexpr ResourceTable kResources{kTemplates, {}, {}};

} // namespace

const ResourceTable& SampleResources() {
    return kResources;
}

// ------------------------------------------------------------ TestDialog

BOOL TestDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (onInit) {
        onInit(*this);
    }
    return TRUE;
}

void TestDialog::OnOK() {
    calls.push_back("OnOK");
    CDialog::OnOK();
}

void TestDialog::OnCancel() {
    calls.push_back("OnCancel");
    CDialog::OnCancel();
}

void TestDialog::DoDataExchange(CDataExchange* pDX) {
    if (exchange) {
        exchange(pDX);
    }
}

const MessageMap* TestDialog::GetMessageMap() const {
    static const MessageMap map{
        OnWmSysCommand(&TestDialog::OnSysCommand),
        OnBnClicked(IDC_ADD, &TestDialog::OnAdd),
        OnBnClicked(IDC_AUTOSCAN, &TestDialog::OnAutoScan),
        OnNotify(NM_DBLCLK, IDC_LIST, &TestDialog::OnListDblClk),
        OnNotify(LVN_COLUMNCLICK, IDC_LIST, &TestDialog::OnListColumnClick),
        OnNotify(LVN_ITEMCHANGED, IDC_LIST, &TestDialog::OnListItemChanged),
    };
    return &map;
}

void TestDialog::OnSysCommand(UINT nID, LPARAM lParam) {
    calls.push_back("OnSysCommand " + std::to_string(nID));
    CDialog::OnSysCommand(nID, lParam);
}

void TestDialog::OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* activate = reinterpret_cast<NMITEMACTIVATE*>(pNMHDR);
    calls.push_back("OnListDblClk " + std::to_string(activate->iItem));
    *pResult = 0;
}

void TestDialog::OnListColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* click = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    calls.push_back("OnListColumnClick " + std::to_string(click->iSubItem));
    *pResult = 0;
}

void TestDialog::OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* change = reinterpret_cast<NMLISTVIEW*>(pNMHDR);
    calls.push_back("OnListItemChanged " + std::to_string(change->iItem) + " " +
                    std::to_string(change->uOldState) + "->" + std::to_string(change->uNewState));
    *pResult = 0;
}

// ------------------------------------------------------------ fixture and helpers

void BeginWindowTest(const ResourceTable& resources) {
    AfxAddResources(resources);
    UiTestSeam::Reset();
}

void EndWindowTest(const ResourceTable& resources) {
    EXPECT_EQ(UiTestSeam::UnansweredCount(), 0) << "a modal run or message box was not answered";
    EXPECT_EQ(UiTestSeam::PendingAnswerCount(), 0) << "a queued answer was not used";
    UiTestSeam::Reset();
    AfxRemoveResources(resources);
}

void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers) {
    ASSERT_NE(target, nullptr);
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
}

QWidget* FocusOf(CDialog& dialog) {
    QWidget* window = dialog.GetQtWidget();
    return window ? window->focusWidget() : nullptr;
}

QMenu* RightClickAt(CWnd& dialog, QPoint point) {
    QWidget* widget = dialog.GetQtWidget();
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, point, widget->mapToGlobal(point));
    QApplication::sendEvent(widget, &rightClick);
    return dynamic_cast<QMenu*>(QApplication::activePopupWidget());
}

std::string TextOf(const CWnd& dialog, int nID) {
    std::string text;
    if (CWnd* control = dialog.GetDlgItem(nID)) {
        control->GetWindowText(text);
    }
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

int PositionOf(CProgressCtrl& bar) {
    return static_cast<int>(bar.SendMessage(PBM_GETPOS, 0, 0));
}

int HotItemOf(CListCtrl& list) {
    const int hot = list.SetHotItem(-1);
    list.SetHotItem(hot);
    return hot;
}

QTreeWidget* TreeOf(const CListCtrl& list) {
    auto* tree = qobject_cast<QTreeWidget*>(list.GetQtWidget());
    if (!tree) {
        throw std::logic_error("the list has no tree");
    }
    return tree;
}

void SelectRows(const CListCtrl& list, const std::vector<int>& rows) {
    QTreeWidget* tree = TreeOf(list);
    tree->clearSelection();
    for (const int row : rows) {
        tree->topLevelItem(row)->setSelected(true);
    }
}

void Paste(CEdit& edit, const QString& text) {
    auto* line = qobject_cast<QLineEdit*>(edit.GetQtWidget());
    if (!line) {
        throw std::logic_error("the edit has no line");
    }
    line->selectAll();
    line->insert(text);
}

void PressKeyIn(CDialog& dialog, int nID, int key, Qt::KeyboardModifiers modifiers) {
    QWidget* control = WidgetOf(dialog, nID);
    ASSERT_NE(control, nullptr);
    control->setFocus(Qt::TabFocusReason); // as the Tab key gives it
    PressKey(FocusOf(dialog), key, modifiers);
}

} // namespace nodescout::test
