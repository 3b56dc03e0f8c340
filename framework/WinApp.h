#pragma once

// The application object and message boxes.
//
// A program defines one global object of a CWinApp subclass and has
//     int main(int argc, char** argv) { return nodescout::AfxWinMain(argc, argv); }
// AfxWinMain calls InitInstance; the program's windows run inside it. The
// Qt application object is created only when the first window or message box
// needs it (AfxEnsureUi), so work without a window needs no display.

#include "framework/Types.h"

#include <memory>
#include <string>

namespace nodescout {

class CWnd;

class CWinApp {
public:
    // Without a name, the name is string resource AFX_IDS_APP_TITLE (57344),
    // or else the program file's name.
    explicit CWinApp(const char* pszAppName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    // The command line after the program name, arguments joined by blanks.
    const char* m_lpCmdLine = "";
    // The window that owns the program's dialogs while it runs.
    CWnd* m_pMainWnd = nullptr;

    // The program's arguments, as AfxWinMain gave them.
    void SetArguments(int argc, char** argv);
    int& ArgumentCount() noexcept { return m_argc; }
    char** Arguments() const noexcept { return m_argv; }

private:
    friend std::string AfxGetAppName();

    std::string m_strAppName;
    std::string m_strCmdLine;
    int m_argc = 0;
    char** m_argv = nullptr;
};

CWnd* AfxGetMainWnd();
// The application's name: the caption of every message box.
std::string AfxGetAppName();

// Runs the application object: arguments, InitInstance, ExitInstance.
// Returns the process's exit code.
int AfxWinMain(int argc, char** argv);

// Creates the Qt application once (with the application object's arguments)
// and makes the calling thread the UI thread. Windows and message boxes call
// it themselves; a test's main calls it after creating its QApplication.
void AfxEnsureUi();
// Ends the UI: worker calls run directly afterwards. Called when the Qt
// application created by AfxEnsureUi is destroyed.
void AfxShutdownUi();

// A modal message box captioned with the application's name. nType combines
// MB_OK or MB_YESNO (Yes the default button) with MB_ICONQUESTION,
// MB_ICONEXCLAMATION or MB_ICONINFORMATION. Returns IDOK, IDYES or IDNO (0
// when a worker being stopped asked). From a worker thread the box runs on
// the UI thread.
int AfxMessageBox(const std::string& text, UINT nType = MB_OK, UINT nIDHelp = 0);
// The text is string resource nIDPrompt.
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));

// The icon resource nIDResource (shared, never destroyed), or null.
HICON AfxLoadIcon(UINT nIDResource);

// The system's alert sound.
BOOL MessageBeep(UINT uType);

} // namespace nodescout
