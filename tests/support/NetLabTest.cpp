// The lab itself: it must never leave namespaces or processes behind, and
// its LAN must stay closed.

#include "tests/support/NetLab.h"
#include "platform/net/Inet.h"
#include "platform/net/UdpSocket.h"
#include "tests/support/TempDir.h"

#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <optional>
#include <thread>

namespace nodescout::test {
namespace {

bool NamespaceExists(const std::string& netns) {
    return std::filesystem::exists("/run/netns/" + netns);
}

bool ProcessExists(pid_t pid) {
    return kill(pid, 0) == 0 || errno != ESRCH;
}

TEST(NetLab, RemovesItsNamespacesAndStopsItsProcessesWhenDestroyed) {
    NODESCOUT_SKIP_WITHOUT_NETLAB();
    std::vector<std::string> namespaces;
    pid_t sleeper = -1;
    {
        NetLab lab;
        const LabHost& host = lab.AddHost("198.18.0.10", "02:4e:53:00:00:10");
        namespaces = {lab.ClientNamespace(), host.netns};
        sleeper = lab.Start(host.netns, {"sleep", "60"}, "sleep.log").Pid();
        ASSERT_TRUE(NamespaceExists(host.netns));
        ASSERT_TRUE(ProcessExists(sleeper));
    }
    for (const std::string& netns : namespaces) {
        EXPECT_FALSE(NamespaceExists(netns)) << netns;
    }
    EXPECT_FALSE(ProcessExists(sleeper));
}

TEST(NetLab, SweepsWhatTestProcessesThatDiedLeftBehind) {
    NODESCOUT_SKIP_WITHOUT_NETLAB();
    const TempDir logs;
    LabProcess ended({"true"}, logs.File("true.log"));
    const pid_t dead = ended.Pid();
    ended.Stop(); // waits for it, so the pid names no process any more

    const std::string stale = "nodescout-" + std::to_string(dead) + "-1-c";
    const std::filesystem::path staleFolder =
        std::filesystem::temp_directory_path() / ("nodescout-" + std::to_string(dead) + "-lab-x");
    std::optional<LabProcess> left;
    {
        // Another test process's sweep must not take the leftovers half-made.
        const NetLab::SweepLock lock;
        RunChecked({"ip", "netns", "add", stale});
        left.emplace(std::vector<std::string>{"ip", "netns", "exec", stale, "sleep", "60"},
                     logs.File("left.log"));
        std::filesystem::create_directories(staleFolder / "nmbd-X");
        const auto entered = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        while (RunCommand({"ip", "netns", "pids", stale}).output.empty() &&
               std::chrono::steady_clock::now() < entered) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }

    NetLab::SweepStaleLabs();
    EXPECT_FALSE(NamespaceExists(stale));
    EXPECT_FALSE(std::filesystem::exists(staleFolder));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (left->IsRunning() && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_FALSE(left->IsRunning()) << "the process in the stale namespace was not killed";
    RunCommand({"ip", "netns", "delete", stale});
}

TEST(NetLab, CarriesBroadcastsOverTheBridgeButNothingBeyondTheLan) {
    NODESCOUT_SKIP_WITHOUT_NETLAB();
    NetLab lab;
    const LabHost& host = lab.AddHost("198.18.0.10", "02:4e:53:00:00:10");
    lab.RouteLimitedBroadcast();
    const std::uint16_t port = htons(9);
    const std::uint8_t datagram[] = {'h', 'i'};

    UdpSocket receiver;
    {
        ScopedNamespace inside(host.netns);
        receiver = UdpSocket();
        ASSERT_FALSE(receiver.Bind(INADDR_ANY, port));
    }
    ScopedNamespace inside(lab.ClientNamespace());
    UdpSocket sender;
    ASSERT_FALSE(sender.EnableBroadcast());
    EXPECT_TRUE(sender.SendTo(datagram, INADDR_BROADCAST, port).Succeeded());
    EXPECT_EQ(receiver.WaitReadable(timeval{2, 0}), WaitResult::Readable);

    // No default route: an address outside the lab fails at once.
    const IoResult stray = sender.SendTo(datagram, inet_addr("192.0.2.1"), port);
    EXPECT_EQ(stray.error, std::error_code(ENETUNREACH, std::system_category()));
}

} // namespace
} // namespace nodescout::test
