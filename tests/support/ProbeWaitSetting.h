#pragma once

// ProbeHost reads its wait from the settings file that g_szIniPath names.
// This points g_szIniPath at a file of the test's own that sets
// TimeOutMicroseconds (or holds the [Profile] lines given), and puts the
// former path back at the end of the scope. Set it up before any thread probes: the path is
// process-wide. Only a test of that reading needs it; the others give the wait to
// ProbeHostWithWait.

#include "platform/text/FixedText.h"
#include "tests/support/TempDir.h"

#include <string>

namespace nodescout::test {

class ProbeWaitSetting {
public:
    explicit ProbeWaitSetting(int timeOutMicroseconds);
    // profileLines: the section's lines as the file holds them, e.g.
    // "TimeOutMilliseconds=100\n"; empty for a section without keys.
    explicit ProbeWaitSetting(const std::string& profileLines);
    ~ProbeWaitSetting();
    ProbeWaitSetting(const ProbeWaitSetting&) = delete;
    ProbeWaitSetting& operator=(const ProbeWaitSetting&) = delete;

private:
    TempDir m_folder;
    PathText m_previousPath;
};

} // namespace nodescout::test
