#pragma once

// CWnd: an object that stands for one window (a dialog or a control) while
// the window exists; the window and its state belong to the framework. Without
// a window every call does nothing and returns its "failed" value (0, FALSE,
// -1, empty).
//
// Members belong to the UI thread (framework/UiThread.h): from a worker only
// SendMessage and SetDlgItemText may be called, which then run on the UI
// thread as a synchronous call; any other member ends the program there.

#include "framework/MessageMap.h"
#include "framework/Types.h"

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QWidget;
class QPainter;

namespace nodescout {

class CMenu;
class CDC;

class CWnd {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // ------------------------------------------------ the window

    // The window this object stands for, or null.
    HWND GetSafeHwnd() const noexcept { return m_hWnd.load(std::memory_order_acquire); }
    // Binds this object to a window without a subclass step; Detach undoes it.
    BOOL Attach(HWND hWnd);
    HWND Detach();
    // Binds this object to control nID of pParent and calls PreSubclassWindow.
    // Fails (FALSE) when there is no such control or it is bound already;
    // throws std::logic_error when the object's class does not fit the
    // control's kind (a CListCtrl for an edit; a plain CWnd fits any).
    BOOL SubclassDlgItem(int nID, CWnd* pParent);
    virtual BOOL DestroyWindow();

    // The dialog a control sits in; null for a dialog.
    CWnd* GetParent() const;
    // Changes style bits; SS_NOTIFY on a static decides whether it sees the
    // mouse at all, as on Windows. TRUE when a bit changed.
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd);

    // ------------------------------------------------ text and state

    void SetWindowText(const char* text);
    void SetWindowText(const std::string& text) { SetWindowText(text.c_str()); }
    void GetWindowText(std::string& text) const;
    int GetWindowTextLength() const;

    BOOL IsIconic() const;

    void Invalidate(BOOL bErase = TRUE);
    void UpdateWindow();
    void GetClientRect(CRect* pRect) const;

    // Mouse capture: this window gets every mouse message until released.
    CWnd* SetCapture();
    static CWnd* GetCapture();

    void SetIcon(HICON hIcon, BOOL bBigIcon);
    // The window's system menu (windows with WS_SYSMENU), or null. The
    // framework shows it on a right click on the window's background and on
    // Alt+Space, each time after WM_INITMENUPOPUP (wParam the CMenu*, lParam
    // MAKELPARAM(0, TRUE)) has let the window bring its items up to date; a
    // chosen item arrives as WM_SYSCOMMAND. bRevert is ignored.
    CMenu* GetSystemMenu(BOOL bRevert) const;

    // ------------------------------------------------ messages

    // Sends a message to this window and returns the window's answer; 0
    // without a window or when the calling worker is being stopped.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

    // ------------------------------------------------ child controls

    CWnd* GetDlgItem(int nID) const;
    void SetDlgItemText(int nID, const char* text);
    void SetDlgItemText(int nID, const std::string& text) { SetDlgItemText(nID, text.c_str()); }
    void CheckDlgButton(int nID, UINT nCheck);
    UINT IsDlgButtonChecked(int nID) const;
    void CheckRadioButton(int nIDFirst, int nIDLast, int nIDCheck);
    // Keyboard order of the controls: tab stops in template order, and the
    // group (from a WS_GROUP control to the next) that the arrow keys walk.
    CWnd* GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;
    CWnd* GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious = FALSE) const;

    // ------------------------------------------------ hooks

    // Called once when a control is bound to this object (DDX_Control,
    // SubclassDlgItem), with the window attached.
    virtual void PreSubclassWindow() {}
    // Sees every WM_MOUSEMOVE meant for this window (and, for a dialog, for
    // its controls) before it is handled; TRUE swallows it.
    virtual BOOL PreTranslateMessage(MSG*) { return FALSE; }
    // The pointer moved over this window (or anywhere while it has the
    // capture). point is in client coordinates; nFlags is always 0.
    virtual void OnMouseMove(UINT /*nFlags*/, CPoint /*point*/) {}
    // This window had the mouse capture and lost it (WM_CAPTURECHANGED): it
    // released it, another window took it, or a modal box or dialog opened.
    // pWnd is the window that has it now, or null.
    virtual void OnCaptureChanged(CWnd* /*pWnd*/) {}
    // The pointer is over this window and not captured: set a cursor with
    // ::SetCursor and return TRUE, or return FALSE for the normal cursor.
    virtual BOOL OnSetCursor(CWnd*, UINT /*nHitTest*/, UINT /*message*/) { return FALSE; }

    // Default handling of a system command: SC_CLOSE closes the window the
    // way the close box does, SC_MINIMIZE minimises it.
    void OnSysCommand(UINT nID, LPARAM lParam);
    // Default painting: nothing beyond what the framework paints.
    void OnPaint() {}

    // Where the layer has no counterpart, the Qt widget behind the window
    // (tests read pixel geometry through it); null without a window.
    QWidget* GetQtWidget() const;

protected:
    // Every message to this window goes through WindowProc: the message
    // table first, then DefWindowProc. Control classes add their messages.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual const MessageMap* GetMessageMap() const { return nullptr; }

private:
    std::atomic<HWND> m_hWnd{nullptr};

    friend LRESULT AfxCallWindowProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);
};

// Runs pWnd's WindowProc on the calling (UI) thread.
LRESULT AfxCallWindowProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Releases the mouse capture; the window that had it gets OnCaptureChanged.
BOOL ReleaseCapture();
// Sets the cursor while the current OnSetCursor runs.
void SetCursor(HCURSOR hCursor);
// IDC_HAND; null for any other cursor.
HCURSOR LoadStandardCursor(int nCursorId);
int GetSystemMetrics(int nIndex);
HBRUSH GetStockObject(int nIndex);

// ------------------------------------------------ menus

class CMenu {
public:
    struct Item {
        UINT flags = 0;
        UINT_PTR id = 0;
        std::string text;
    };

    BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, const char* lpszNewItem = nullptr);
    // Sets the item with command nIDEnableItem enabled (MF_ENABLED) or
    // greyed (MF_GRAYED or MF_DISABLED; by command only, MF_BYCOMMAND).
    // Returns the item's state before, or (UINT)-1 when no item has it.
    UINT EnableMenuItem(UINT nIDEnableItem, UINT nEnable);
    const std::vector<Item>& Items() const noexcept { return m_items; }

private:
    std::vector<Item> m_items;
};

// ------------------------------------------------ drawing

// The colours of a control about to paint (CStatic::CtlColor), and on a
// CPaintDC the painter of the window being painted.
class CDC {
public:
    CDC() = default;
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    void SetTextColor(COLORREF colour) { m_crText = colour; }
    COLORREF GetTextColor() const noexcept { return m_crText.value_or(0); }
    bool HasTextColor() const noexcept { return m_crText.has_value(); }
    // The framework's controls paint no background, so every mode is TRANSPARENT.
    void SetBkMode(int) {}
    HDC GetSafeHdc() const noexcept { return reinterpret_cast<HDC>(m_pPainter); }
    BOOL DrawIcon(int x, int y, HICON hIcon);

protected:
    QPainter* m_pPainter = nullptr;

private:
    std::optional<COLORREF> m_crText;
};

// Drawing on a window from its WM_PAINT handler; elsewhere it draws nothing.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
};

// ------------------------------------------------ tooltips

// Tooltips for areas of windows. The framework shows them by itself as the
// pointer rests over a tool, so RelayEvent has nothing left to do.
class CToolTipCtrl {
public:
    CToolTipCtrl() = default;
    CToolTipCtrl(const CToolTipCtrl&) = delete;
    CToolTipCtrl& operator=(const CToolTipCtrl&) = delete;

    BOOL Create(CWnd* pParentWnd, DWORD dwStyle = 0);
    // A tool over pWnd: lpRectTool (client coordinates) or the whole window.
    BOOL AddTool(CWnd* pWnd, const char* text, const CRect* lpRectTool = nullptr, UINT_PTR = 0);
    void RelayEvent(MSG*) {}

    // The tip text for a point of a window, or null (used by the framework).
    const std::string* TipAt(HWND hWnd, CPoint point) const;

private:
    struct Tool {
        HWND hWnd = nullptr;
        std::string text;
        std::optional<CRect> area; // none: the whole window
    };
    bool m_bCreated = false;
    std::vector<Tool> m_tools;
    // Not owning: the tools' windows hold weak references that end with this object.
    std::shared_ptr<const CToolTipCtrl> m_self{this, [](const CToolTipCtrl*) {}};
};

} // namespace nodescout
