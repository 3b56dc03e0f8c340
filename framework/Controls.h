#pragma once

// The control classes: thin handles (see CWnd) whose state lives in the
// control's window, so a worker and the UI thread always see one state.

#include "framework/Wnd.h"

#include <cstdint>
#include <string>

namespace nodescout {

// ------------------------------------------------ static text, icon, frame

class CStatic : public CWnd {
public:
    // The control is about to paint in the text colour set on pDC; the brush
    // returned is not used (the dialog's background always shows through).
    virtual HBRUSH CtlColor(CDC* pDC, UINT nCtlColor);
    // A click on a static with SS_NOTIFY; the default sends the parent
    // WM_COMMAND with STN_CLICKED.
    virtual void OnClicked();
};

// ------------------------------------------------ buttons

class CButton : public CWnd {
public:
    int GetCheck() const; // BST_UNCHECKED or BST_CHECKED
    void SetCheck(int nCheck);
    // Presses the button as a click would (BM_CLICK).
    void Click();
};

// ------------------------------------------------ edits

class CEdit : public CWnd {
public:
    // The user can make the text at most nChars bytes long as the program
    // gets it, one byte a character (0: no limit). SetWindowText is not
    // limited, and a longer text already there stays.
    void LimitText(int nChars = 0);
};

// ------------------------------------------------ list view (report view)

// The comparison SortItemsEx applies: the indices of two rows and the
// caller's value; negative when the first row goes first.
using PFNLVCOMPARE = int (*)(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

class CListCtrl : public CWnd {
public:
    // Returns the old style. LVS_EX_INFOTIP turns the info tips on; rows are
    // selected whole whatever LVS_EX_FULLROWSELECT says.
    DWORD SetExtendedStyle(DWORD dwNewStyle);

    // Adds a left-aligned column at the right end, whatever nCol and nFormat
    // say, and returns its index; nWidth -1 gives 100 pixels.
    int InsertColumn(int nCol, const char* heading, int nFormat = LVCFMT_LEFT, int nWidth = -1);

    // Inserts a row before nItem (at the end when nItem >= GetItemCount());
    // returns its index, or -1 (also while the list has no column).
    int InsertItem(int nItem, const char* text);
    BOOL DeleteItem(int nItem);
    int GetItemCount() const;

    BOOL SetItemText(int nItem, int nSubItem, const char* text);
    BOOL SetItemText(int nItem, int nSubItem, const std::string& text) {
        return SetItemText(nItem, nSubItem, text.c_str());
    }
    std::string GetItemText(int nItem, int nSubItem) const;
    BOOL SetItemData(int nItem, DWORD_PTR dwData);
    DWORD_PTR GetItemData(int nItem) const;

    // A number that changes whenever rows are added, removed or reordered or
    // a row's text changes, and only then (not for selection, focus, item
    // data or the hot item). No two list windows of one run share a value; 0
    // when the list has no window.
    std::uint64_t GetChangeStamp() const;

    // The next row after nItem (-1: from the start) with the flags
    // (LVNI_ALL, LVNI_SELECTED); -1 when there is none.
    int GetNextItem(int nItem, int nFlags) const;

    // Sorts the rows with the comparison, which gets the indices the rows had
    // before the sort (LVM_SORTITEMSEX): they stay where they are while it
    // runs. The selection, the focus and the hot item stay with their rows.
    BOOL SortItemsEx(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData);

    // The marked ("hot") row, drawn highlighted; -1 for none. It stays with
    // its row when rows move. Returns the previous hot row.
    int SetHotItem(int nIndex);

    // Scrolls by pixels; vertically in whole rows, rounded to the nearest.
    BOOL Scroll(CSize size);
    // A row's whole rectangle (LVIR_BOUNDS, whatever nCode says) in the
    // list's client coordinates, whose area includes the header.
    BOOL GetItemRect(int nItem, CRect* pRect, UINT nCode) const;
};

// ------------------------------------------------ progress bar

// Keeps the Windows rules in its own state: range 0 to 100 and step 10 at
// the start; PBM_SETRANGE takes two unsigned 16-bit words; positions are
// held within the range, except that a step past the maximum starts again at
// the minimum. The bar shows the state without text and never animates.
class CProgressCtrl : public CWnd {
public:
    void GetRange(int& nLower, int& nUpper) const;
    int SetPos(int nPos); // returns the previous position

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

} // namespace nodescout
