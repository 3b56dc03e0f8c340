#pragma once

// The operating system's side of a request from outside to end the program:
// SIGTERM, SIGHUP and SIGINT are caught, and their handler only writes one
// byte into a non-blocking pipe (a full pipe means a wake-up is pending
// already). An event loop that watches the pipe's read end so learns of the
// signal between its own events, where any code may run.

namespace nodescout {

// Catches the three signals, the first time; later calls only return the
// same descriptor. Returns the pipe's read end, or -1 when no pipe could be
// made: the signals then keep their default action.
int CatchExitSignals() noexcept;

// Empties the pipe after a wake-up, so the next signal wakes the loop again.
void DrainExitSignals() noexcept;

} // namespace nodescout
