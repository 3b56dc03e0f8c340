#include "app/NodescoutApp.h"

#include "app/AppDirectory.h"
#include "app/CommandLine.h"
#include "app/DisplayCheck.h"
#include "framework/ExitSignals.h"
#include "framework/Templates.h"
#include "platform/net/UdpSocket.h"
#include "platform/process/AppPaths.h"
#include "platform/process/InstanceLock.h"
#include "platform/process/ProcessPaths.h"
#include "ui/NodescoutDlg.h"
#include "ui/Resources.h"
#include "ui/resource.h"

#include <iostream>
#include <string>

namespace nodescout {

CNodescoutApp::CNodescoutApp() : CWinApp(nullptr) {}

BOOL CNodescoutApp::InitInstance() {
    // The resources first: the application's name and the start-up message
    // are string resources. Registering them needs no display.
    AfxAddResources(NodescoutResources());
    if (AnswerInformationRequest(m_lpCmdLine, std::cout)) {
        return FALSE;
    }

    const bool bHasFolder = InitAppPaths();
    const std::string commandLine = JoinCommandLine(ArgumentCount(), Arguments());
    const bool bCommandLine = !commandLine.empty();
    if (!SocketsAvailable()) {
        ReportNoSockets(bCommandLine);
        m_nExitCode = kExitNoSockets;
        return FALSE;
    }
    if (bCommandLine) {
        m_nExitCode = RunCommandLine(commandLine, std::cerr);
        return FALSE;
    }
    if (!bHasFolder) {
        std::cerr << "nodescout: no folder for the settings and the list can be written "
                     "(beside the program or in the per-user data folder); they will not be "
                     "kept\n";
    }
    if (!DisplayAvailable()) {
        std::cerr << kNoDisplayMessage << '\n';
        m_nExitCode = kExitNoDisplay;
        return FALSE;
    }
    // Each copy saves its list at exit: a second one on the same files
    // would overwrite the first one's list, or lose its own.
    InstanceLock lock;
    if (bHasFolder && lock.Acquire(std::string(g_szAppDir.c_str()) + "/Scout.lock") ==
                          LockResult::HeldByAnother) {
        const std::string text = "Nodescout is already running with the settings and the list in " +
                                 std::string(g_szAppDir.c_str()) +
                                 ". Close that window first, so that neither list is lost.";
        std::cerr << "nodescout: " << text << '\n'; // for a start from a terminal or a script
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        m_nExitCode = kExitAlreadyRunning;
        return FALSE;
    }
    RunMainWindow();
    return FALSE;
}

// A request from outside to end (a signal, the session) ends every modal
// run and closes the window the way a confirmed exit does; its destruction
// stops the workers and saves. A session save request saves at once.
void CNodescoutApp::RunMainWindow() {
    CNodescoutDlg dlg;
    m_pMainWnd = &dlg;
    AfxInstallExitHandlers(
        [&dlg] {
            AfxEndAllModalRuns();
            dlg.EndDialog(IDCANCEL);
        },
        [&dlg] {
            if (dlg.GetSafeHwnd()) {
                dlg.SaveState();
            }
        });
    dlg.DoModal();
    AfxRemoveExitHandlers();
    m_pMainWnd = nullptr;
}

int CNodescoutApp::ExitInstance() {
    return m_nExitCode;
}

bool CNodescoutApp::DisplayAvailable() {
    return HasDisplay(EnvironmentValue("DISPLAY"), EnvironmentValue("WAYLAND_DISPLAY"),
                      EnvironmentValue("QT_QPA_PLATFORM"));
}

bool CNodescoutApp::SocketsAvailable() {
    return UdpSocket().IsOpen();
}

// With a command line there may be no display: the message goes to standard
// error there, and into a message box for the window.
void CNodescoutApp::ReportNoSockets(bool bCommandLine) {
    if (bCommandLine) {
        std::string text;
        AfxLoadString(IDP_SOCKETS_INIT_FAILED, text);
        std::cerr << "nodescout: " << text << '\n';
    } else {
        AfxMessageBox(IDP_SOCKETS_INIT_FAILED, MB_OK);
    }
}

} // namespace nodescout
