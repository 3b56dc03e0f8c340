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
    // The exit status: 0 (also after SIGTERM, SIGHUP, SIGINT or the end of
    // the desktop session, which close the window as a confirmed exit does
    // and save the same), or the command line's failure status (see
    // app/CommandLine.h), kExitNoDisplay, kExitNoSockets or
    // kExitAlreadyRunning.
    int ExitInstance() override;

    static constexpr int kExitNoDisplay = 1;
    static constexpr int kExitNoSockets = 3;
    // Another running Nodescout holds the same folder of files; this one
    // said so in a message box and wrote nothing.
    static constexpr int kExitAlreadyRunning = 4;

protected:
    // Whether a UDP socket can be made, the one thing every command needs.
    virtual bool SocketsAvailable();
    // Whether the window can be shown: a display is named (see
    // app/DisplayCheck.h).
    virtual bool DisplayAvailable();

private:
    int m_nExitCode = 0;

    void ReportNoSockets(bool bCommandLine);
    void RunMainWindow();
};

} // namespace nodescout
