#pragma once

// Where this process and its user's files are, as Linux and the XDG base
// directories tell it. The one place that knows either.

#include <string>

namespace nodescout {

// The full path of the running program, symbolic links resolved
// (/proc/self/exe); "" when it cannot be read.
std::string ExecutablePath();

// The per-user data folder: xdgDataHome when it is an absolute path (a
// relative one is ignored, as the base-directory rules ask), else
// home + "/.local/share"; "" when neither gives a folder.
std::string UserDataFolder(const std::string& xdgDataHome, const std::string& home);

// The same from this process's $XDG_DATA_HOME and $HOME.
std::string UserDataFolder();

// The value of an environment variable; "" when it is not set.
std::string EnvironmentValue(const char* name);

} // namespace nodescout
