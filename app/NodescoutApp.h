#pragma once

// The application object: finds the folder for Nodescout's files, checks
// that the network can be used, then either carries out the command line
// (no window, no display needed) or runs the main window until it closes.

#include "framework/WinApp.h"

namespace nodescout {

class CNodescoutApp : public CWinApp {
public:
    // No name: the framework takes it from string resource 57344, "Nodescout".
    CNodescoutApp();

    // Always FALSE: the program ends when it returns.
    BOOL InitInstance() override;
    // The exit status: 0, or the command line's failure status (see
    // app/CommandLine.h), or kExitNoSockets.
    int ExitInstance() override;

    static constexpr int kExitNoSockets = 3;

protected:
    // Whether a UDP socket can be made, the one thing every command needs.
    virtual bool SocketsAvailable();

private:
    int m_nExitCode = 0;

    void ReportNoSockets(bool bCommandLine);
};

} // namespace nodescout
