#pragma once

// Opening things the way the desktop does: a folder or a web address with
// the desktop's opener (xdg-open), a command line started as its own
// process, and the desktop's default program for a kind of file.
//
// Results follow the classic shell convention: a value above 32 means
// success; 32 or less is one of these failure codes:
//   0 out of memory or resources   2 file not found      3 path not found
//   5 access denied                8 not enough memory  11 invalid program
//  26 sharing violation (program busy)                  31 no associated program

#include <chrono>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace nodescout {

inline constexpr int kShellSuccess = 42;
inline constexpr int SE_ERR_ASSOCINCOMPLETE = 27;
inline constexpr int SE_ERR_NOASSOC = 31;

// The show command Nodescout passes (the classic SW_SHOW). Linux has no use
// for it: the desktop decides how a window opens.
inline constexpr int kShellShowCommand = 5;

// How a caller that waits for a program pauses between two looks at it:
// true after the pause, false to stop waiting at once.
using ShellWaitPause = std::function<bool(std::chrono::milliseconds)>;

// Opens a folder, file or address with the desktop's opener. Without pause
// the opener is started, not waited for: the result says only whether it
// started. With pause the call returns when the opener has ended and gives
// its outcome (ShellCodeFromOpenerStatus); when pause gives up, the opener
// is left to end by itself and the result is kShellSuccess, as nothing is
// known to have failed. A browser that the opener runs in the foreground
// keeps it running, so such a wait can last as long as the browser does.
int ShellExecuteOpen(const std::string& target, int showCommand, const ShellWaitPause& pause = {});

// The outcome of a desktop opener (xdg-open) that ended with waitStatus (as
// waitpid reports it), in the classic codes:
//   exit 0                               kShellSuccess
//   exit 1, syntax error (an empty or    2 file not found
//     option-like address)
//   exit 2, file not found               2 file not found
//   exit 3, a required tool is missing   27 association incomplete
//   exit 4, the action failed (no        31 no associated program
//     program could open it)
//   anything else, or killed by a signal 31 no associated program
int ShellCodeFromOpenerStatus(int waitStatus) noexcept;

// Tests put a stand-in in place of the desktop's opener, so that no window
// or browser starts. Returns the one it replaced (empty: the real one).
using ShellOpenFunction = std::function<int(const std::string& target, int showCommand)>;
ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function);

// Starts a command line as a new process without a shell: the line is split
// into words as a desktop entry's Exec line is (blanks separate words; a
// word in double quotes may hold blanks and \" \` \$ \\ escapes). The
// program is looked up in PATH. Not waited for.
int WinExec(const char* commandLine, int showCommand);
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// One word for such a command line, which SplitCommandLine gives back whole:
// the text as it is unless a blank or a double quote would split it; then in
// double quotes, with the characters special inside them (" ` $ \) escaped.
std::string QuoteCommandWord(const std::string& word);

// The classic code for an errno value that stopped a program from starting.
int ShellCodeFromErrno(int error) noexcept;

// The desktop entry of the default program for a MIME type, as
// `xdg-mime query default TYPE` tells it (for example "firefox-esr.desktop").
std::error_code QueryDefaultApplication(const std::string& mimeType, std::string& desktopId);

// The Exec line of a desktop entry found in the XDG data folders, with its
// file and address placeholders (%u %U %f %F) written as the classic "%1"
// and the other field codes resolved ("%%" becomes "%"; %i %c %k and the
// deprecated ones are dropped).
std::error_code ReadDesktopEntryCommand(const std::string& desktopId, std::string& command);

} // namespace nodescout
