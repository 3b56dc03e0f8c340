// What one probe costs beyond the wait it is configured for, and what the
// neighbour-table fallback costs with a small and with a large table. Builds
// its own private LANs (network namespaces), so it needs root.
//
// The fallback asks for the rows of the one address (one request per IPv4
// interface), so its cost should not depend on the table's size;
// ReadNeighbourTable, the whole dump, is timed beside it for comparison.
// The kernel keeps the neighbour entries of all namespaces in one hash table
// that grows with them and never shrinks; after the 10 000-row table has
// existed, every neighbour dump on the machine walks the larger table until
// the next boot (tens of microseconds more per read).
//
//   nodescout_bench [Google Benchmark options]

#include "platform/net/Inet.h"
#include "platform/net/NeighbourTable.h"
#include "platform/net/UdpSocket.h"
#include "probe/NeighbourLookup.h"
#include "probe/ProbeHost.h"
#include "probe/ProbeWait.h"
#include "tests/support/NetLab.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace nodescout {
namespace {

using test::NetLab;
using test::ScopedNamespace;

// An address of the lab's LAN where no host answers: neither the node-status
// request nor the address resolution gets a reply.
constexpr char kSilentAddress[] = "198.18.0.200";
constexpr int kSmallTableEntries = 8;
constexpr int kLargeTableEntries = 10000;

struct Lab {
    std::unique_ptr<NetLab> net;
    std::uint32_t lastEntry = 0; // the address the table search finds last
    std::size_t entries = 0;
};

// Entry i of the table: 198.19.0.1 up to 198.19.49.200 for 10 000 entries,
// all above the lab's own addresses, so the last one is also last in order.
std::string EntryAddress(int i) {
    return "198.19." + std::to_string(i / 200) + "." + std::to_string(i % 200 + 1);
}

// One host that answers nothing but ARP, so that the bridge has a port and
// the LAN looks like a real one, and the given number of permanent entries.
Lab BuildLab(int entries) {
    Lab lab;
    lab.net = std::make_unique<NetLab>("198.18.0.1/15");
    lab.net->AddHost("198.18.0.10", "02:4e:53:00:00:10");
    std::vector<std::string> batch;
    for (int i = 0; i < entries; ++i) {
        char mac[24];
        std::snprintf(mac, sizeof mac, "02:4e:54:00:%02x:%02x", (i >> 8) & 0xff, i & 0xff);
        batch.push_back("neigh replace " + EntryAddress(i) + " dev br0 lladdr " + mac +
                        " nud permanent");
    }
    if (!batch.empty()) {
        lab.net->RunBatchInClient(batch);
        lab.lastEntry = inet_addr(EntryAddress(entries - 1).c_str());
    }
    lab.entries = static_cast<std::size_t>(entries);
    return lab;
}

// The lab of the benchmark that runs now, rebuilt when a benchmark needs a
// table of another size. One lab at a time: the kernel keeps the neighbour
// entries of all namespaces in one table and a dump walks all of it, so a
// large table in another namespace would slow the small table's reads.
std::unique_ptr<Lab> g_lab;

const Lab* LabWith(benchmark::State& state, int entries) {
    if (!g_lab || g_lab->entries != static_cast<std::size_t>(entries)) {
        g_lab.reset();
        try {
            g_lab = std::make_unique<Lab>(BuildLab(entries));
        } catch (const std::exception& error) {
            state.SkipWithError(error.what());
            return nullptr;
        }
    }
    return g_lab.get();
}

double Microseconds(const timeval& wait) {
    return static_cast<double>(wait.tv_sec) * 1e6 + static_cast<double>(wait.tv_usec);
}

// How much longer than asked select() sleeps on this machine (timer slack,
// wake-up latency), so that it can be told apart from the probe's own cost.
double SelectOvershoot(const timeval& wait) {
    constexpr int kSamples = 50;
    UdpSocket idle;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kSamples; ++i) {
        idle.WaitReadable(wait);
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    return elapsed.count() / kSamples - Microseconds(wait);
}

// ProbeHost on the silent address. Arguments: table rows, TimeOutMicroseconds.
// Reports the mean time beyond the wait, and that time less what select()
// oversleeps anyway.
void ProbeSilentAddress(benchmark::State& state) {
    const Lab* lab = LabWith(state, static_cast<int>(state.range(0)));
    if (lab == nullptr) {
        return;
    }
    const int timeOut = static_cast<int>(state.range(1));
    const timeval wait = ProbeWait(timeOut);
    const ScopedNamespace inside(lab->net->ClientNamespace());
    const std::uint32_t address = inet_addr(kSilentAddress);
    const double overshoot = SelectOvershoot(wait);

    MacText mac;
    Text name;
    bool found = false;
    const auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        found = ProbeHostWithWait(address, mac, name, wait);
        benchmark::DoNotOptimize(found);
    }
    const std::chrono::duration<double, std::micro> elapsed =
        std::chrono::steady_clock::now() - start;
    if (found) {
        state.SkipWithError("the silent address was found");
    }
    const double beyond =
        elapsed.count() / static_cast<double>(state.iterations()) - Microseconds(wait);
    state.counters["wait_us"] = Microseconds(wait);
    state.counters["beyond_wait_us"] = beyond;
    state.counters["select_overshoot_us"] = overshoot;
    state.counters["own_cost_us"] = beyond - overshoot;
}

// The fallback's table work: ask for the rows of the address the table's
// last row holds and pick the MAC among them. Arguments: table rows, and
// whether the lookups share one scope, as a walk's do.
void LookUpNeighbour(benchmark::State& state) {
    const Lab* lab = LabWith(state, static_cast<int>(state.range(0)));
    if (lab == nullptr) {
        return;
    }
    const ScopedNamespace inside(lab->net->ClientNamespace());
    std::optional<NeighbourReadScope> walkScope;
    if (state.range(1) != 0) {
        walkScope.emplace();
    }
    std::vector<NeighbourRow> rows;
    MacText mac;
    bool found = false;
    for (auto _ : state) {
        if (ReadNeighbourRows(lab->lastEntry, rows)) {
            state.SkipWithError("the neighbour rows could not be read");
            break;
        }
        found = FindMacInNeighbourTable(rows, lab->lastEntry, mac);
        benchmark::DoNotOptimize(found);
    }
    if (!found && lab->entries > 0) {
        state.SkipWithError("the table's last entry was not found");
    }
}

// The whole table, as the fallback read it before: grows with the table.
// Argument: table rows.
void DumpNeighbourTable(benchmark::State& state) {
    const Lab* lab = LabWith(state, static_cast<int>(state.range(0)));
    if (lab == nullptr) {
        return;
    }
    const ScopedNamespace inside(lab->net->ClientNamespace());
    std::vector<NeighbourRow> rows;
    for (auto _ : state) {
        if (ReadNeighbourTable(rows)) {
            state.SkipWithError("the neighbour table could not be read");
            break;
        }
    }
    state.counters["rows_read"] = static_cast<double>(rows.size());
}

} // namespace
} // namespace nodescout

int main(int argc, char** argv) {
    using namespace nodescout;
    benchmark::Initialize(&argc, argv);
    if (const std::string reason = NetLab::UnavailableReason(); !reason.empty()) {
        std::fprintf(stderr, "nodescout_bench %s; nothing measured.\n", reason.c_str());
        return 1;
    }
    // Registered size by size, so that each lab is built once.
    for (const int entries : {kSmallTableEntries, kLargeTableEntries}) {
        benchmark::RegisterBenchmark("ProbeSilentAddress", ProbeSilentAddress)
            ->ArgNames({"table_rows", "TimeOutMicroseconds"})
            ->Args({entries, 0})
            ->Args({entries, 500})
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("LookUpNeighbour", LookUpNeighbour)
            ->ArgNames({"table_rows", "in_walk"})
            ->Args({entries, 0})
            ->Args({entries, 1})
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark("DumpNeighbourTable", DumpNeighbourTable)
            ->ArgName("table_rows")
            ->Arg(entries)
            ->UseRealTime()
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_lab.reset();
    return 0;
}
