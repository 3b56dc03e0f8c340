#pragma once

// Points the process-wide file folder (g_szAppDir) and settings path
// (g_szIniPath) at a folder of the test's own, and puts the former paths
// back at the end of the scope. Made without a folder, it only puts them
// back (for code under test that sets them itself, such as start-up).

#include "platform/process/AppPaths.h"

#include <string>

namespace nodescout::test {

class ScopedAppFolder {
public:
    ScopedAppFolder() : m_previousAppDir(g_szAppDir), m_previousIniPath(g_szIniPath) {}
    explicit ScopedAppFolder(const std::string& folder) : ScopedAppFolder() {
        g_szAppDir = folder;
        g_szIniPath = folder + "/Scout.ini";
    }
    ~ScopedAppFolder() {
        g_szAppDir = m_previousAppDir;
        g_szIniPath = m_previousIniPath;
    }
    ScopedAppFolder(const ScopedAppFolder&) = delete;
    ScopedAppFolder& operator=(const ScopedAppFolder&) = delete;

private:
    PathText m_previousAppDir;
    PathText m_previousIniPath;
};

} // namespace nodescout::test
