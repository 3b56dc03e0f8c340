#pragma once

// What every window test shares: one fixture, parameterised by the resource
// table it makes known, that checks every modal run and message box was
// answered; sample templates for the framework's own tests; and helpers for
// open dialogs and key presses.

#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/WinApp.h"
#include "tests/support/ProcessEvents.h"

#include <QHeaderView>
#include <QObject>
#include <QString>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

class QMenu;
class QWidget;

namespace nodescout::test {

// Control and template IDs of the samples.
enum : int {
    IDD_SAMPLE_RANGE = 9001,
    IDD_SAMPLE_CHOICE = 9002,
    IDD_SAMPLE_MAIN = 9003,
    IDC_LABEL1 = 1009,
    IDC_EDIT_IP2 = 1010,
    IDC_LABEL2 = 1011,
    IDC_EDIT_IP1 = 1012,
    IDC_EXCEL = 1014,
    IDC_TEXT = 1015,
    IDC_OTHER = 1016,
    IDC_AUTOSCAN = 1023,
    IDC_LIST = 1027,
    IDC_PROGRESS = 1002,
    IDC_LINK = 1034,
    IDC_STATUS = 1036,
    IDC_ADD = 3,
};

// The sample templates: IDD_SAMPLE_RANGE, a range-list-like dialog (default
// OK, labels, a want-return edit and a plain one, a list, two push buttons and
// a group box drawn last); IDD_SAMPLE_CHOICE, radio groups, a push-like check
// box, a progress bar, a line and a notifying label; IDD_SAMPLE_MAIN, like a
// main window (a list first, buttons, no default button and no OK).

// A dialog whose parts a test fills in: data exchange, OnInitDialog work,
// and a record of every handler and OnOK/OnCancel call.
class TestDialog : public CDialog {
public:
    explicit TestDialog(UINT nIDTemplate) : CDialog(nIDTemplate) {}

    std::function<void(CDataExchange*)> exchange;
    std::function<void(TestDialog&)> onInit;
    std::vector<std::string> calls;
    CListCtrl m_List;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void DoDataExchange(CDataExchange* pDX) override;
    const MessageMap* GetMessageMap() const override;

private:
    void OnAdd() { calls.push_back("OnAdd"); }
    void OnAutoScan() { calls.push_back("OnAutoScan"); }
    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    void OnListItemChanged(NMHDR* pNMHDR, LRESULT* pResult);
};

// The resources of the sample templates above.
const ResourceTable& SampleResources();

// Makes the resource table known for one test and resets the test seam;
// afterwards fails the test when a modal run or message box went unanswered
// or a queued answer was not used, and forgets the table again.
void BeginWindowTest(const ResourceTable& resources);
void EndWindowTest(const ResourceTable& resources);

// The fixture of every window test, with the resource table Resources()
// known while it runs.
template <const ResourceTable& (*Resources)()>
class WindowTest : public testing::Test {
protected:
    void SetUp() override { BeginWindowTest(Resources()); }
    void TearDown() override { EndWindowTest(Resources()); }
};

// The framework's tests, on the sample templates.
using GuiTest = WindowTest<SampleResources>;

// Key presses as the user makes them, to a widget (or the focus).
void PressKey(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
// The widget that has (or will have, once shown) the focus in a dialog.
QWidget* FocusOf(CDialog& dialog);
// A key press, as the user makes it, to control nID (after giving it the focus).
void PressKeyIn(CDialog& dialog, int nID, int key,
                Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// A right click, as the user makes it, at point (client coordinates) of the
// dialog: on its background it opens the window menu. The popup open after
// it, or null.
QMenu* RightClickAt(CWnd& dialog, QPoint point);

// The text of control nID of an open dialog.
std::string TextOf(const CWnd& dialog, int nID);
// The edit or button nID of an open dialog; throws std::logic_error when
// there is no such control of that kind.
CEdit& EditOf(const CWnd& dialog, int nID);
CButton& ButtonOf(const CWnd& dialog, int nID);
// The widget of control nID, to send keys to; null when there is none.
QWidget* WidgetOf(const CWnd& dialog, int nID);

// What the program never reads back, seen through the widgets or the calls
// it makes: the bar's position (PBM_GETPOS), the hot row (SetHotItem answers
// the previous one), the tree behind a list, and a paste that replaces an
// edit's text (the typing limit applies).
int PositionOf(CProgressCtrl& bar);
int HotItemOf(CListCtrl& list);
QTreeWidget* TreeOf(const CListCtrl& list);
// Selects exactly the rows given, one after another as the user could; the
// list tells its dialog of each change (LVN_ITEMCHANGED).
void SelectRows(const CListCtrl& list, const std::vector<int>& rows);
void Paste(CEdit& edit, const QString& text);

} // namespace nodescout::test
