#pragma once

// The probe reads its wait from the settings file that g_szIniPath names.
// This points g_szIniPath at a file of the test's own that sets
// TimeOutMicroseconds, and puts the former path back at the end of the
// scope. Set it up before any thread probes: the path is process-wide.

#include "platform/text/FixedText.h"
#include "tests/support/TempDir.h"

namespace nodescout::test {

class ProbeWaitSetting {
public:
    explicit ProbeWaitSetting(int timeOutMicroseconds);
    ~ProbeWaitSetting();
    ProbeWaitSetting(const ProbeWaitSetting&) = delete;
    ProbeWaitSetting& operator=(const ProbeWaitSetting&) = delete;

    // Whether the settings file gives the value back, so that probes wait as
    // set (a benchmark checks this before it labels its figures).
    bool TakesEffect() const;

private:
    TempDir m_folder;
    PathText m_previousPath;
    int m_timeOutMicroseconds;
};

} // namespace nodescout::test
