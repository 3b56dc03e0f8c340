#pragma once

// Where Nodescout keeps its files: beside the executable, as a portable
// program does, when it can write there; otherwise (an installed program
// under /usr, a read-only folder) in the per-user data folder
// $XDG_DATA_HOME/nodescout, by default ~/.local/share/nodescout, so that the
// settings, the saved list and the exports are kept instead of lost.

#include <functional>
#include <string>

namespace nodescout {

struct AppDirectoryInputs {
    std::string executablePath; // symbolic links resolved
    std::string xdgDataHome;    // $XDG_DATA_HOME, may be empty
    std::string home;           // $HOME, may be empty
    // Whether files can be created in a folder.
    std::function<bool(const std::string& folder)> canWriteIn;
};

// The folder for Nodescout's files, without a trailing slash, or "" when
// neither the executable's folder nor a per-user folder can be used.
std::string ChooseAppDirectory(const AppDirectoryInputs& inputs);

// Sets g_szAppDir and g_szIniPath (".../Scout.ini") for this process, making
// the per-user folder when it is the one chosen. False when no folder fits.
bool InitAppPaths();

} // namespace nodescout
