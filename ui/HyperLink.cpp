#include "ui/HyperLink.h"

#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/WinApp.h"
#include "framework/WorkerThread.h"

#include <cstdio>
#include <string_view>
#include <system_error>

namespace nodescout {

namespace {

// The registered command up to its address placeholder: cut at the opening
// quote of a quoted "%1", else at a bare %1; without one, the whole command.
std::string_view CommandBeforePlaceholder(std::string_view command) {
    std::size_t cut = command.find("\"%1\"");
    if (cut == std::string_view::npos) {
        cut = command.find("%1");
    }
    return command.substr(0, cut);
}

const char* OpenErrorText(int nError) {
    switch (nError) {
    case 0:
        return "The operating system is out\nof memory or resources.";
    case 2:
        return "The specified file was not found.";
    case 3:
        return "The specified path was not found.";
    case 5:
        return "The operating system denied\naccess to the specified file.";
    case 8:
        return "There was not enough memory to complete the operation.";
    case 11:
        return "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).";
    case 26:
        return "A sharing violation occurred. ";
    case 27:
        return "The filename association is\nincomplete or invalid.";
    case 28:
        return "The DDE transaction could not\nbe completed because the request timed out.";
    case 29:
        return "The DDE transaction failed.";
    case 30:
        return "The DDE transaction could not\nbe completed because other DDE transactions\n"
               "were being processed.";
    case 31:
        return "There is no application associated\nwith the given filename extension.";
    case 32:
        return "The specified dynamic-link library was not found.";
    default:
        return nullptr;
    }
}

} // namespace

CHyperLink::CHyperLink()
    : m_crLink(RGB(0, 0, 238)), m_crVisited(RGB(0, 0, 238)), m_crHover(RGB(85, 26, 139)),
      m_bOver(false), m_bVisited(false), m_hLinkCursor(nullptr) {}

// ------------------------------------------------ set-up

void CHyperLink::PreSubclassWindow() {
    ModifyStyle(0, SS_NOTIFY); // so that a click reaches OnClicked
    if (m_strUrl.empty()) {
        GetWindowText(m_strUrl);
    }
    if (GetWindowTextLength() == 0) {
        SetWindowText(m_strUrl);
    }
    LoadLinkCursor();

    CRect rect;
    GetClientRect(&rect);
    m_ToolTip.Create(this);
    m_ToolTip.AddTool(this, m_strUrl.c_str(), &rect, 1);
    CStatic::PreSubclassWindow();
}

BOOL CHyperLink::PreTranslateMessage(MSG* pMsg) {
    m_ToolTip.RelayEvent(pMsg);
    return CStatic::PreTranslateMessage(pMsg);
}

void CHyperLink::LoadLinkCursor() {
    if (!m_hLinkCursor) {
        m_hLinkCursor = LoadStandardCursor(IDC_HAND);
    }
}

// ------------------------------------------------ drawing and the pointer

HBRUSH CHyperLink::CtlColor(CDC* pDC, UINT) {
    pDC->SetTextColor(m_bOver ? m_crHover : (m_bVisited ? m_crVisited : m_crLink));
    pDC->SetBkMode(TRANSPARENT);
    return GetStockObject(NULL_BRUSH);
}

void CHyperLink::SetVisited(bool bVisited) {
    m_bVisited = bVisited;
    if (GetSafeHwnd()) {
        Invalidate(TRUE);
    }
}

// The capture tells the control when the pointer leaves: the first movement
// outside its rectangle ends the hover. A capture lost on the way (a modal
// box took it) ends the hover too, so the next movement starts a new one.
void CHyperLink::OnMouseMove(UINT nFlags, CPoint point) {
    CStatic::OnMouseMove(nFlags, point);
    if (!m_bOver || CWnd::GetCapture() != this) {
        m_bOver = true;
        RedrawNow();
        SetCapture();
        return;
    }
    CRect rect;
    GetClientRect(&rect);
    if (!rect.PtInRect(point)) {
        m_bOver = false;
        ReleaseCapture();
        RedrawNow();
    }
}

void CHyperLink::OnCaptureChanged(CWnd*) {
    if (m_bOver) {
        m_bOver = false;
        RedrawNow();
    }
}

void CHyperLink::RedrawNow() {
    Invalidate(TRUE);
    UpdateWindow();
}

BOOL CHyperLink::OnSetCursor(CWnd*, UINT, UINT) {
    if (!m_hLinkCursor) {
        return FALSE;
    }
    ::nodescout::SetCursor(m_hLinkCursor);
    return TRUE;
}

// ------------------------------------------------ the click

// The opener can take long (a browser may keep it running), so a worker of
// the dialog waits for it. The worker is stopped before the dialog's window
// goes; a stopped worker's call to the UI thread is dropped, so a closed
// window is never touched.
void CHyperLink::OnClicked() {
    auto* pDialog = dynamic_cast<CDialog*>(GetParent());
    if (!pDialog) {
        FinishClick(OpenUrl(m_strUrl, SW_SHOW)); // no window to wait in: only the start counts
        return;
    }
    try {
        pDialog->GetWorkers().Start([this, url = m_strUrl] {
            const int result = OpenUrl(url, SW_SHOW, SleepUnlessStopped);
            CallOnUiThread([this, result] { FinishClick(result); });
        });
    } catch (const std::system_error& error) {
        FinishClick(ShellCodeFromErrno(error.code().value())); // no thread to wait on
    }
}

void CHyperLink::FinishClick(int result) {
    m_bVisited = result > 32;
    if (m_bVisited) {
        SetVisited(true);
        return;
    }
    PlayFailureSound();
    ShowOpenError(result);
}

void CHyperLink::PlayFailureSound() {
    MessageBeep(MB_ICONEXCLAMATION);
}

void CHyperLink::ShowOpenError(int nError) {
    std::string text = "Unable to open hyperlink:\n\n";
    if (const char* known = OpenErrorText(nError)) {
        text += known;
    } else {
        char unknown[48];
        std::snprintf(unknown, sizeof unknown, "Unknown Error (%d) occurred.", nError);
        text += unknown;
    }
    AfxMessageBox(text, MB_ICONEXCLAMATION | MB_OK);
}

// ------------------------------------------------ opening an address

int CHyperLink::OpenUrl(const std::string& address, int nShowCmd, const ShellWaitPause& pause) {
    const int shellResult = ShellExecuteOpen(address, nShowCmd, pause);
    if (static_cast<unsigned>(shellResult) > 32) {
        return shellResult;
    }

    // The desktop's opener failed: start the default program for web pages
    // with the address ourselves.
    CommandText command;
    if (ReadRegDefault(HKEY_CLASSES_ROOT, ".htm", command) != ERROR_SUCCESS) {
        return shellResult;
    }
    const std::string key = std::string(command.View()) + std::string(kOpenCommandKey);
    if (ReadRegDefault(HKEY_CLASSES_ROOT, key.c_str(), command) != ERROR_SUCCESS) {
        return shellResult;
    }
    const std::string_view program = CommandBeforePlaceholder(command.View());
    if (program.find_first_not_of(" \t") == std::string_view::npos) {
        return shellResult; // only a placeholder: the address itself would run as the program
    }
    const std::string line = std::string(program) + ' ' + QuoteCommandWord(address);
    if (line.size() >= kCommandSize) {
        return shellResult; // a cut command line would open another address, or none
    }
    command = line;
    return WinExec(command.c_str(), nShowCmd);
}

LONG CHyperLink::ReadRegDefault(HKEY hKeyRoot, const char* pszSubKey, CommandText& output) {
    std::string value;
    if (const LONG error = ReadKeyDefault(hKeyRoot, pszSubKey ? pszSubKey : "", value)) {
        return error;
    }
    if (value.size() >= kValueSize) {
        return ERROR_MORE_DATA; // a cut command would start something else
    }
    output = value;
    return ERROR_SUCCESS;
}

} // namespace nodescout
