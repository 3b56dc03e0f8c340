// What opening the main window costs with a saved list of many hosts: each
// run writes a Default.txt of N lines, every line a host of its own (distinct
// MAC texts, as an inventory of a large network gives), and times the main
// window (headless) from its construction until its modal run is open, the
// saved list loaded. Saving the list when the window closes is not timed.
//
// The time should grow about in step with N: the counter per_row_us is the
// time per loaded line, and a list of 20 000 lines should take no more than
// 10 times one of 2 500. On a shared machine the wall time also counts the
// time others had the core, so cpu_ms gives the UI thread's own CPU time
// over the same span, and the ratio is printed for both.
//
//   nodescout_list_load_bench [Google Benchmark options]

#include "store/ListFile.h"
#include "tests/support/ScopedAppFolder.h"
#include "tests/support/TempDir.h"
#include "ui/NodescoutDlg.h"
#include "ui/Resources.h"
#include "ui/resource.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <map>
#include <string>

namespace nodescout {
namespace {

using Clock = std::chrono::steady_clock;

// The quickest open per number of rows, in seconds: wall time and the UI
// thread's CPU time.
std::map<int, double> g_fastest;
std::map<int, double> g_fastestCpu;

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

void KeepFastest(std::map<int, double>& fastest, int nRows, double seconds) {
    const auto [entry, bFirst] = fastest.emplace(nRows, seconds);
    if (!bFirst && seconds < entry->second) {
        entry->second = seconds;
    }
}

void PrintRatio(const char* what, const std::map<int, double>& fastest) {
    if (fastest.count(2500) && fastest.count(20000)) {
        std::printf("20000 rows / 2500 rows (quickest opens, %s): %.1f\n", what,
                    fastest.at(20000) / fastest.at(2500));
    }
}

// Line i: host 10.(i / 65536).(i / 256 % 256).(i % 256) with a MAC text of
// its own, in the saved list's own form.
std::string SavedListOf(int nRows) {
    std::string text;
    text.reserve(static_cast<std::size_t>(nRows) * 48);
    char line[96];
    for (int i = 0; i < nRows; ++i) {
        std::snprintf(line, sizeof line, "%d\t10.%d.%d.%d\t0250%08x\tHOST%d\r\n", i + 1, i / 65536,
                      i / 256 % 256, i % 256, static_cast<unsigned>(i), i);
        text += line;
    }
    return text;
}

void OpenWindowWithSavedList(benchmark::State& state) {
    const int nRows = static_cast<int>(state.range(0));
    const test::TempDir folder;
    const test::ScopedAppFolder appFolder(folder.Path().string());
    const std::string savedList = SavedListOf(nRows);
    double total = 0;
    double totalCpu = 0;
    for (auto _ : state) {
        folder.Write(kSavedListFileName, savedList);
        int nLoaded = 0;
        Clock::time_point opened;
        double openedCpu = 0;
        const double startCpu = ThreadCpuSeconds();
        const Clock::time_point start = Clock::now();
        {
            CNodescoutDlg dlg;
            UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog&) {
                opened = Clock::now();
                openedCpu = ThreadCpuSeconds();
                nLoaded = dynamic_cast<CListCtrl*>(dlg.GetDlgItem(IDC_LIST))->GetItemCount();
            });
            dlg.DoModal();
        }
        const double seconds = std::chrono::duration<double>(opened - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
        totalCpu += openedCpu - startCpu;
        KeepFastest(g_fastest, nRows, seconds);
        KeepFastest(g_fastestCpu, nRows, openedCpu - startCpu);
        if (nLoaded != nRows) {
            state.SkipWithError("the window did not show every saved line");
            return;
        }
    }
    state.counters["rows"] = nRows;
    state.counters["cpu_ms"] = totalCpu * 1e3 / static_cast<double>(state.iterations());
    state.counters["per_row_us"] =
        total * 1e6 / (static_cast<double>(nRows) * static_cast<double>(state.iterations()));
}

// A scan's new hosts after the window opened on the saved list: each one
// call, and each one scrolled to, as a scan adds them.
void AddHostsToOpenWindow(benchmark::State& state) {
    constexpr int kNewHosts = 200;
    const int nRows = static_cast<int>(state.range(0));
    const test::TempDir folder;
    const test::ScopedAppFolder appFolder(folder.Path().string());
    folder.Write(kSavedListFileName, SavedListOf(nRows));
    double total = 0;
    for (auto _ : state) {
        CNodescoutDlg dlg;
        UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog&) {
            char mac[16];
            const Clock::time_point start = Clock::now();
            for (int i = 0; i < kNewHosts; ++i) {
                std::snprintf(mac, sizeof mac, "0260%08x", static_cast<unsigned>(i));
                dlg.AddOrUpdateRow("198.18.0.1", mac, "NEW");
            }
            const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
            state.SetIterationTime(seconds);
            total += seconds;
        });
        dlg.DoModal();
    }
    state.counters["per_row_us"] =
        total * 1e6 / (kNewHosts * static_cast<double>(state.iterations()));
}

} // namespace
} // namespace nodescout

int main(int argc, char** argv) {
    using namespace nodescout;
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    CWinApp application("Nodescout");
    QApplication qtApplication(argc, argv);
    AfxEnsureUi();
    AfxAddResources(NodescoutResources());
    // The window's modal runs are answered by the benchmark itself.
    UiTestSeam::SetStrict(true);

    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("OpenWindowWithSavedList", OpenWindowWithSavedList)
        ->Arg(2500)
        ->Arg(5000)
        ->Arg(10000)
        ->Arg(20000)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("AddHostsToOpenWindow", AddHostsToOpenWindow)
        ->Arg(2500)
        ->Arg(20000)
        ->UseManualTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatio("wall time", g_fastest);
    PrintRatio("CPU time", g_fastestCpu);
    return 0;
}
