// A stop asked for from another thread ends an overlapped walk at once, its
// probes dropped and their sockets closed, whatever their waits. Runs under
// ThreadSanitizer in CI. Needs root for the private LAN; skips without it.

#include "probe/AddressWalk.h"
#include "probe/UdpProbeWindow.h"
#include "tests/support/NetLab.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

namespace nodescout::test {
namespace {

using namespace std::chrono_literals;

class StoppableOwner : public WalkOwner {
public:
    std::atomic<bool> stop{false};
    std::atomic<int> events{0};

    void Probe(std::uint32_t, MacText&, Text&) override { ADD_FAILURE() << "probed one at a time"; }
    void RowFound(const char*, const char*, const char*) override { ++events; }
    void RangeBegins(std::int32_t) override { ++events; }
    void AddressDone() override { ++events; }
    void RangeEnds(std::int32_t) override { ++events; }
    void SetStatusText(const char*) override {}
    bool StopRequested() override { return stop.load(); }
    bool Pause(int) override { return !stop.load(); }
    std::unique_ptr<ProbeWindow> OpenProbeWindow() override {
        return MakeUdpProbeWindow(256, timeval{5, 0});
    }
};

class SingleRange : public RangeSource {
public:
    int RangeCount() override { return 1; }
    Text RangeStart(int) override { return Text("198.18.0.2"); }
    Text RangeEnd(int) override { return Text("198.18.4.0"); }
};

std::size_t OpenDescriptors() {
    return static_cast<std::size_t>(
        std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                      std::filesystem::directory_iterator{}));
}

TEST(OverlappedWalkStop, EndsTheWalkAtOnceAndClosesEverySocket) {
    if (const std::string reason = NetLab::UnavailableReason(); !reason.empty()) {
        GTEST_SKIP() << reason;
    }
    NetLab lab;
    StoppableOwner owner;
    const std::size_t descriptorsBefore = OpenDescriptors();
    std::atomic<bool> ended{false};
    std::thread walker([&] {
        const ScopedNamespace inside(lab.ClientNamespace());
        SingleRange range;
        ScanRange(owner, range);
        ended = true;
    });
    // Every address is silent and waits 5 s: the walk is well under way.
    std::this_thread::sleep_for(200ms);
    ASSERT_FALSE(ended.load());
    EXPECT_GT(OpenDescriptors(), descriptorsBefore + 20) << "probes in flight";
    const int eventsAtStop = owner.events.load();
    const auto stopAt = std::chrono::steady_clock::now();
    owner.stop = true;
    walker.join();
    EXPECT_LT(std::chrono::steady_clock::now() - stopAt, 250ms);
    EXPECT_EQ(owner.events.load(), eventsAtStop) << "nothing after the stop";
    EXPECT_EQ(OpenDescriptors(), descriptorsBefore);
}

} // namespace
} // namespace nodescout::test
