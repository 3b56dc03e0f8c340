#include "app/NodescoutApp.h"

#include "app/AppDirectory.h"
#include "app/CommandLine.h"
#include "framework/Templates.h"
#include "platform/net/UdpSocket.h"
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
    CNodescoutDlg dlg;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}

int CNodescoutApp::ExitInstance() {
    return m_nExitCode;
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
