#pragma once

// CHyperLink: a static text of a dialog turned into a web link. Bound to the
// control (DDX_Control), it takes the control's text as its address, draws
// it in link colours, changes colour while the pointer is over it, shows a
// hand cursor and a tooltip with the address, and opens the address when
// clicked: with the desktop's opener, or else with the desktop's default
// web browser. The opener is waited for on a worker of the parent dialog
// (so the window never waits for it, and the worker ends before the window
// goes); its outcome comes back to the UI thread, where a failure beeps and
// says why.

#include "framework/Controls.h"
#include "platform/shell/Registry.h"
#include "platform/shell/Shell.h"
#include "platform/text/FixedText.h"

#include <cstddef>
#include <string>

namespace nodescout {

class CHyperLink : public CStatic {
public:
    // The command buffer of the fallback and the value buffer of a lookup,
    // each with its terminator.
    static constexpr std::size_t kCommandSize = 520;
    static constexpr std::size_t kValueSize = 260;
    using CommandText = FixedText<kCommandSize>;

    CHyperLink();

    // Stores the flag and repaints the control, if it has a window.
    void SetVisited(bool bVisited = true);

    // Opens an address; a result above 32 means success, anything else is
    // the failure code of the shell (SE_ERR_NOASSOC, 2 program not found...).
    // With pause the desktop's opener is waited for, so that its failure
    // leads to the fallback too (see ShellExecuteOpen); the call then blocks
    // and belongs on a worker thread.
    static int OpenUrl(const std::string& address, int nShowCmd, const ShellWaitPause& pause = {});

    // The default value of a key under hKeyRoot (platform/shell/Registry.h),
    // into output; 0 on success, else an error code and output stays as it
    // was. A value of kValueSize characters or more is refused
    // (ERROR_MORE_DATA), never cut.
    static LONG ReadRegDefault(HKEY hKeyRoot, const char* pszSubKey, CommandText& output);

    // Tells the user, in a message box, that the address could not be opened.
    void ShowOpenError(int nError);

    // Loads the hand cursor, once.
    void LoadLinkCursor();

    HBRUSH CtlColor(CDC* pDC, UINT nCtlColor) override;

protected:
    void PreSubclassWindow() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void OnClicked() override;
    BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message) override;
    void OnMouseMove(UINT nFlags, CPoint point) override;
    // A modal box or dialog took the mouse: the pointer counts as gone.
    void OnCaptureChanged(CWnd* pWnd) override;

    // The exclamation sound of a failed click (MessageBeep).
    virtual void PlayFailureSound();

    COLORREF m_crLink;
    COLORREF m_crVisited;
    COLORREF m_crHover;
    bool m_bOver;
    bool m_bVisited;
    std::string m_strUrl;
    HCURSOR m_hLinkCursor;
    CToolTipCtrl m_ToolTip;

private:
    // The end of a click, on the UI thread: visited, or the sound and the box.
    void FinishClick(int result);
    // Repaints at once, for a change of the hover colour.
    void RedrawNow();
};

} // namespace nodescout
