#pragma once

// A desktop of a test's own, for as long as the object lives: a data folder
// with desktop entries, a config folder with the default-applications list,
// and a bin folder first in PATH for programs that record how they were
// started. Nothing of the machine's own desktop is seen or started.

#include "tests/support/ScopedEnvironment.h"
#include "tests/support/TempDir.h"

#include <string>

namespace nodescout::test {

class FakeDesktop {
public:
    FakeDesktop();

    // A desktop entry with that Exec line. otherGroupFirst: the file begins
    // with another group's Exec line, which must not be taken for the
    // program's own.
    void AddEntry(const std::string& id, const std::string& exec, bool otherGroupFirst = false);
    // The entry, and the default-applications list naming it for text/html.
    void RegisterBrowser(const std::string& id, const std::string& exec);
    // A program in the bin folder that writes its arguments, one per line,
    // into a file when it runs; returns that file's path.
    std::string AddRecordingProgram(const std::string& name);

    // The file's content once it exists (waits up to five seconds).
    static std::string WaitForFile(const std::string& path);

    TempDir& Root() noexcept { return m_root; }

private:
    TempDir m_root;
    ScopedEnvironment m_env;
};

} // namespace nodescout::test
