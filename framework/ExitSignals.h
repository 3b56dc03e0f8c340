#pragma once

// Requests from outside to end the program: SIGTERM, SIGHUP and SIGINT, and
// the desktop session ending. A signal only wakes the UI thread, through a
// pipe its event loop watches (platform/process/ExitSignalPipe.h); the
// handlers run there, between events.
//
// A session that asks running programs to save (before a logout, or as a
// checkpoint) reaches onCommit; one that tells them to end reaches onExit, as
// a signal does. Qt's own reaction to that, which would close the windows and
// so ask the user, is not taken.
//
// When the display connection breaks, Qt's X11 support ends the process
// itself: no handler of the program runs, and nothing can be saved then.

#include <functional>

namespace nodescout {

// UI thread, once the UI exists (it creates it otherwise). onExit runs on
// the UI thread once, at the first request to end; onCommit each time the
// session asks for a save. Installing again replaces both.
void AfxInstallExitHandlers(std::function<void()> onExit, std::function<void()> onCommit);

// Drops the two handlers; the signals stay caught, so a late signal while
// the program saves on its way out cannot end it half-way.
void AfxRemoveExitHandlers();

// UI thread: ends every modal run, innermost first: message boxes and
// dialogs return as if dismissed (a message box with IDOK, a dialog with
// what its run held, 0 unless EndDialog was called), and runs started
// afterwards return at once. For the way out only: it cannot be undone.
void AfxEndAllModalRuns();

} // namespace nodescout
