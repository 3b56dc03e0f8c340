// Walks one address range the way "Auto Scan" walks it, with the real probe,
// and says how long the walk took. No window: the walk's owner prints each
// host it is handed and ignores progress and status.
//
//   nodescout_walk SETTINGS_FILE FIRST_ADDRESS END_ADDRESS
//
// Probes FIRST_ADDRESS up to the address before END_ADDRESS, reading the
// settings as the window reads them from SETTINGS_FILE: the probe's wait
// (TimeOutMilliseconds or TimeOutMicroseconds) before every probe, or, with
// ParallelProbes above 1, that many probes in flight, read with the wait
// once as the walk starts.
// Standard output: one line per host found, "address<TAB>mac<TAB>name".
// Standard error: the wait in effect and the wall time of the walk.
//
// The probe sends to whatever the range holds, broadcast addresses
// included; run it only inside a private network namespace.

#include "platform/net/Inet.h"
#include "platform/process/AppPaths.h"
#include "probe/AddressWalk.h"
#include "probe/ProbeHost.h"
#include "probe/ProbeSettings.h"
#include "probe/ProbeWait.h"
#include "probe/UdpProbeWindow.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

namespace nodescout {
namespace {

// The walk's owner: probes with ProbeHost, prints every host, never stops.
class PrintingOwner : public WalkOwner {
public:
    void Probe(std::uint32_t address, MacText& macText, Text& computerName) override {
        ProbeHost(address, macText, computerName);
    }
    void RowFound(const char* ipText, const char* macText, const char* computerName) override {
        std::printf("%s\t%s\t%s\n", ipText, macText, computerName);
    }
    void RangeBegins(std::int32_t) override {}
    void AddressDone() override {}
    void RangeEnds(std::int32_t) override {}
    void SetStatusText(const char*) override {}
    bool StopRequested() override { return false; }
    bool Pause(int) override { return true; }
    std::unique_ptr<ProbeWindow> OpenProbeWindow() override {
        return OpenConfiguredProbeWindow(g_szIniPath.c_str());
    }
};

// One range, given as texts as the range fields hold them.
class SingleRange : public RangeSource {
public:
    SingleRange(const char* start, const char* end) : m_szStart(start), m_szEnd(end) {}

    int RangeCount() override { return 1; }
    Text RangeStart(int) override { return m_szStart; }
    Text RangeEnd(int) override { return m_szEnd; }

private:
    Text m_szStart;
    Text m_szEnd;
};

// Host-order value of a dotted address; false for text that is not one
// (inet_addr would read it as 255.255.255.255 and walk elsewhere).
bool ReadAddress(const char* text, std::uint32_t& hostOrder) {
    in_addr address{};
    if (inet_pton(AF_INET, text, &address) != 1) {
        return false;
    }
    hostOrder = ntohl(address.s_addr);
    return true;
}

bool IsReadable(const char* path) {
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
        return false;
    }
    std::fclose(file);
    return true;
}

int Usage() {
    std::fprintf(stderr, "usage: nodescout_walk SETTINGS_FILE FIRST_ADDRESS END_ADDRESS\n"
                         "  probes FIRST_ADDRESS up to the address before END_ADDRESS\n");
    return 2;
}

// The wait the probe will read, as the probe reads it.
void ReportWait(const char* path) {
    const timeval wait = ReadProbeWait(path);
    std::fprintf(stderr, "nodescout_walk: each probe waits %ld s %ld us, %d in flight\n",
                 static_cast<long>(wait.tv_sec), static_cast<long>(wait.tv_usec),
                 std::max(ReadParallelProbes(path), 1));
}

int Run(const char* settingsPath, const char* first, const char* end) {
    std::uint32_t firstValue = 0;
    std::uint32_t endValue = 0;
    if (!ReadAddress(first, firstValue) || !ReadAddress(end, endValue)) {
        std::fprintf(stderr, "nodescout_walk: not an IPv4 address: %s\n",
                     ReadAddress(first, firstValue) ? end : first);
        return 2;
    }
    if (endValue <= firstValue) {
        std::fprintf(stderr, "nodescout_walk: %s does not lie above %s; nothing to walk\n", end,
                     first);
        return 2;
    }
    if (!IsReadable(settingsPath)) {
        std::fprintf(stderr, "nodescout_walk: cannot read the settings file %s\n", settingsPath);
        return 2;
    }
    g_szIniPath = settingsPath;
    ReportWait(settingsPath);

    PrintingOwner owner;
    SingleRange range(first, end);
    const auto start = std::chrono::steady_clock::now();
    ScanRange(owner, range);
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::fflush(stdout);
    std::fprintf(stderr, "nodescout_walk: %u addresses in %.6f s\n", endValue - firstValue,
                 elapsed.count());
    return 0;
}

} // namespace
} // namespace nodescout

int main(int argc, char** argv) {
    if (argc != 4) {
        return nodescout::Usage();
    }
    return nodescout::Run(argv[1], argv[2], argv[3]);
}
