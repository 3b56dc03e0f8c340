// What a walk of 256 silent addresses (198.18.0.0 up to 198.18.1.0, the end
// not probed) costs beyond the waits it is configured for, with the real
// probe (ProbeHost, which reads its wait from the settings file before every
// address) and a settings file as the program leaves it for a user with a
// full range table (a hundred ranges), without the wait keys, so
// TimeOutMicroseconds = 500:
//   - WalkSilentRange/bare: the walk of probe/AddressWalk with an owner that
//     only counts, so what is left beyond the probes is the walk's own cost;
//   - WalkSilentRange/main_window: the main window's ScanRange run by one of
//     its workers, every progress message a synchronous call onto the UI
//     thread, the window up (headless) and repainting meanwhile.
// Builds its own private LAN (network namespaces), so it needs root.
//
// Counters, per walk:
//   ratio_to_waits    wall time / (addresses x configured wait)
//   ratio_to_select   wall time / (addresses x what one such select() really
//                     takes on a walking thread of this machine)
//   probe_us          mean time of one ProbeHost
//   walk_own_us       mean time per address outside ProbeHost
//   table_rows, lookup_us (bare) the neighbour table as a walk leaves it
//                     (an entry for every address it probed) and what the
//                     probe's fallback costs on it: the rows of one address
//   ui_gap_p99_us, ui_gap_max_us (main_window) how long the UI thread went
//                     between two runs of its 1 ms timer during the walks:
//                     99th percentile and longest (on a shared machine the
//                     longest is mostly the scheduler giving the core away)
//
//   nodescout_walk_bench [Google Benchmark options]

#include "platform/net/Inet.h"
#include "platform/net/NeighbourTable.h"
#include "platform/net/UdpSocket.h"
#include "platform/process/AppPaths.h"
#include "platform/process/TimerSlack.h"
#include "probe/AddressWalk.h"
#include "probe/ProbeHost.h"
#include "probe/ProbeWait.h"
#include "tests/support/NetLab.h"
#include "tests/support/TempDir.h"
#include "ui/NodescoutDlg.h"
#include "ui/Resources.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace nodescout {
namespace {

using test::NetLab;
using test::ScopedNamespace;
using Clock = std::chrono::steady_clock;

constexpr char kRangeStart[] = "198.18.0.0";
constexpr char kRangeEnd[] = "198.18.1.0";
constexpr int kTimeOutMicroseconds = 500;

// The bridge sits at the far end of the /15, and the one host (there so the
// bridge has a port, as on a real LAN) outside the walked range: every
// address of the range is an address nobody answers, not even by ARP.
std::unique_ptr<NetLab> g_lab;

bool EnsureLab(benchmark::State& state) {
    if (g_lab) {
        return true;
    }
    try {
        g_lab = std::make_unique<NetLab>("198.19.255.254/15");
        g_lab->AddHost("198.19.0.10", "02:4e:53:00:01:10");
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return false;
    }
    return true;
}

// Every walk meets the LAN as a first walk does: without the entries that
// earlier walks left in the neighbour table (one per silent address, which
// the probe's table read then has to go through).
void ForgetNeighbours() {
    g_lab->RunBatchInClient({"neigh flush dev br0"});
}

double MicrosecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::micro>(Clock::now() - start).count();
}

// The mean duration of the probe's select() on an idle socket, on the
// calling thread as a walk leaves it (fine timer slack).
double MeanSelectMicroseconds() {
    constexpr int kSamples = 200;
    UseFineTimerSlack();
    const timeval wait = ProbeWait(kTimeOutMicroseconds);
    UdpSocket idle;
    const auto start = Clock::now();
    for (int i = 0; i < kSamples; ++i) {
        idle.WaitReadable(wait);
    }
    return MicrosecondsSince(start) / kSamples;
}

// ProbeHost, timed.
struct TimedProbe {
    std::atomic<long long> probes{0};
    std::atomic<long long> found{0};
    std::atomic<double> microseconds{0};

    bool operator()(std::uint32_t address, MacText& mac, Text& name) {
        const auto start = Clock::now();
        const bool result = ProbeHost(address, mac, name);
        microseconds = microseconds + MicrosecondsSince(start);
        ++probes;
        found += result ? 1 : 0;
        return result;
    }
};

class CountingOwner final : public WalkOwner {
public:
    TimedProbe probe;

    void Probe(std::uint32_t address, MacText& macText, Text& computerName) override {
        probe(address, macText, computerName);
    }
    void RowFound(const char*, const char*, const char*) override {}
    void RangeBegins(std::int32_t) override {}
    void AddressDone() override {}
    void RangeEnds(std::int32_t) override {}
    void SetStatusText(const char*) override {}
    bool StopRequested() override { return false; }
    bool Pause(int) override { return true; }
};

class FixedRange final : public RangeSource {
public:
    int RangeCount() override { return 1; }
    Text RangeStart(int) override { return Text(kRangeStart); }
    Text RangeEnd(int) override { return Text(kRangeEnd); }
};

void ReportRatios(benchmark::State& state, const TimedProbe& probe, double wallMicroseconds,
                  double selectMicroseconds) {
    const double addresses = static_cast<double>(probe.probes) / state.iterations();
    const double walk = wallMicroseconds / state.iterations();
    state.counters["addresses"] = addresses;
    state.counters["ratio_to_waits"] = walk / (addresses * kTimeOutMicroseconds);
    state.counters["ratio_to_select"] = walk / (addresses * selectMicroseconds);
    state.counters["select_us"] = selectMicroseconds;
    state.counters["probe_us"] = probe.microseconds / static_cast<double>(probe.probes);
    state.counters["walk_own_us"] =
        (wallMicroseconds - probe.microseconds) / static_cast<double>(probe.probes);
    if (probe.found > 0) {
        state.SkipWithError("an address of the range answered");
    }
}

void ReportTableRead(benchmark::State& state) {
    constexpr int kReads = 50;
    std::vector<NeighbourRow> rows;
    ReadNeighbourTable(rows);
    state.counters["table_rows"] = static_cast<double>(rows.size());
    const std::uint32_t address = inet_addr(kRangeStart);
    const NeighbourReadScope asInAWalk;
    const auto start = Clock::now();
    for (int i = 0; i < kReads; ++i) {
        ReadNeighbourRows(address, rows);
    }
    state.counters["lookup_us"] = MicrosecondsSince(start) / kReads;
}

void WalkSilentRangeBare(benchmark::State& state) {
    if (!EnsureLab(state)) {
        return;
    }
    const ScopedNamespace inside(g_lab->ClientNamespace());
    const double select = MeanSelectMicroseconds();
    CountingOwner owner;
    FixedRange range;
    double wall = 0;
    for (auto _ : state) {
        ForgetNeighbours();
        const auto start = Clock::now();
        ScanRange(owner, range);
        const double walk = MicrosecondsSince(start);
        wall += walk;
        state.SetIterationTime(walk / 1e6);
    }
    ReportRatios(state, owner.probe, wall, select);
    ReportTableRead(state);
}

// Runs each walk on a worker of an open main window and waits in the UI
// thread's own event loop, as the program does.
void WalkSilentRangeMainWindow(benchmark::State& state) {
    if (!EnsureLab(state)) {
        return;
    }
    // Workers are started from this thread and take its namespace with them.
    const ScopedNamespace inside(g_lab->ClientNamespace());
    auto probe = std::make_shared<TimedProbe>();
    CNodescoutDlg dlg;
    dlg.SetProbeFunction([probe](std::uint32_t address, MacText& mac, Text& name) {
        return (*probe)(address, mac, name);
    });
    double wall = 0;
    std::atomic<double> select{0};
    std::vector<qint64> gaps; // between two ticks of the UI thread's timer, microseconds
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog&) {
        dlg.SetIP1(kRangeStart);
        dlg.SetIP2(kRangeEnd);
        // The window's first paint happens before any walk.
        QEventLoop settle;
        QTimer::singleShot(100, &settle, &QEventLoop::quit);
        settle.exec();
        for (auto _ : state) {
            ForgetNeighbours();
            QEventLoop loop;
            QElapsedTimer sinceTick;
            QTimer tick;
            tick.setInterval(1);
            QObject::connect(&tick, &QTimer::timeout, [&] {
                if (sinceTick.isValid()) {
                    gaps.push_back(sinceTick.nsecsElapsed() / 1000);
                }
                sinceTick.start();
            });
            std::atomic<double> walk{0};
            dlg.GetWorkers().Start([&] {
                select = MeanSelectMicroseconds();
                const auto start = Clock::now();
                dlg.ScanRange();
                walk = MicrosecondsSince(start);
                CallOnUiThread([&] { loop.quit(); });
            });
            tick.start();
            loop.exec();
            dlg.GetWorkers().StopAll();
            wall += walk;
            state.SetIterationTime(walk / 1e6);
        }
    });
    dlg.DoModal();
    ReportRatios(state, *probe, wall, select);
    if (!gaps.empty()) {
        std::sort(gaps.begin(), gaps.end());
        state.counters["ui_gap_p99_us"] = static_cast<double>(gaps[gaps.size() * 99 / 100]);
        state.counters["ui_gap_max_us"] = static_cast<double>(gaps.back());
    }
}

} // namespace
} // namespace nodescout

namespace {

// The settings of a user whose range table is full: the probe reads this
// file before every address.
std::string SettingsWithFullRangeTable() {
    std::string text = "[Profile]\r\nIP1=198.18.0.0\r\nIP2=198.18.1.0\r\nMac=\r\nInterval=10\r\n"
                       "[IPRange]\r\nCount=100\r\n";
    for (int i = 1; i <= 100; ++i) {
        const std::string range = "10.0." + std::to_string(i);
        text += "IP" + std::to_string(i) + "-1=" + range + ".1\r\n";
        text += "IP" + std::to_string(i) + "-2=" + range + ".255\r\n";
    }
    return text;
}

} // namespace

int main(int argc, char** argv) {
    using namespace nodescout;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    const test::TempDir folder;
    g_szIniPath.Assign(folder.Write("Scout.ini", SettingsWithFullRangeTable()));
    CWinApp application("Nodescout");
    QApplication qtApplication(argc, argv);
    AfxEnsureUi();
    AfxAddResources(NodescoutResources());
    // The window's one modal run is answered by the benchmark itself.
    UiTestSeam::SetStrict(true);

    benchmark::Initialize(&argc, argv);
    if (const std::string reason = NetLab::UnavailableReason(); !reason.empty()) {
        std::fprintf(stderr, "nodescout_walk_bench %s; nothing measured.\n", reason.c_str());
        return 1;
    }
    using Walk = void (*)(benchmark::State&);
    const std::pair<const char*, Walk> walks[] = {
        {"WalkSilentRange/bare", WalkSilentRangeBare},
        {"WalkSilentRange/main_window", WalkSilentRangeMainWindow},
    };
    for (const auto& [name, walk] : walks) {
        benchmark::RegisterBenchmark(name, walk)
            ->UseManualTime()
            ->MinTime(2.0)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_lab.reset();
    return 0;
}
