// Names from the system's resolver, in a child process with mount and
// network namespaces of its own, whose /etc/hosts (a temporary file bound
// over it) is the only source of names: nothing leaves the machine.

#include "platform/net/Inet.h"
#include "platform/net/NameResolver.h"
#include "tests/support/NetLab.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <string>

namespace nodescout {
namespace {

// Runs in the child: what went wrong, or empty.
std::string ResolveOnceFromOwnHosts(const std::string& hostsFile) {
    if (unshare(CLONE_NEWNS | CLONE_NEWNET) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(hostsFile.c_str(), "/etc/hosts", nullptr, MS_BIND, nullptr) != 0) {
        return "no private namespaces";
    }
    std::atomic<int> lookups = 0;
    NameResolver resolver([&](std::uint32_t address) {
        ++lookups;
        return ReverseLookup(address);
    });
    const std::uint32_t peer = inet_addr("198.18.0.9");
    const std::uint32_t nobody = inet_addr("198.18.0.10");
    if (resolver.Find(peer) || resolver.Find(nobody)) {
        return "an answer before any lookup";
    }
    // Asked again while its lookup is queued or done: never a second lookup.
    // (Its answer may already be known, so it is not checked here.)
    resolver.Find(peer);
    resolver.WaitUntilIdle();
    const auto name = resolver.Find(peer);
    const auto none = resolver.Find(nobody);
    resolver.WaitUntilIdle();
    if (name != "scout-peer.lab" || none != "") {
        return "wrong answers: " + name.value_or("(none)") + ", " + none.value_or("(none)");
    }
    return lookups == 2 ? "" : "lookups: " + std::to_string(lookups.load());
}

TEST(NameResolverLabTest, NamesComeFromTheResolverOncePerAddress) {
    NODESCOUT_SKIP_WITHOUT_NETLAB();
    test::TempDir dir;
    dir.Write("hosts", "127.0.0.1 localhost\n198.18.0.9 scout-peer.lab scout-peer\n");
    int report[2];
    ASSERT_EQ(pipe(report), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(report[0]);
        const std::string failure = ResolveOnceFromOwnHosts(dir.File("hosts"));
        const bool written = write(report[1], failure.data(), failure.size()) >= 0;
        _exit(written ? 0 : 1);
    }
    close(report[1]);
    std::string failure;
    char buffer[256];
    for (ssize_t got; (got = read(report[0], buffer, sizeof buffer)) > 0;) {
        failure.append(buffer, static_cast<std::size_t>(got));
    }
    close(report[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(failure, "");
}

} // namespace
} // namespace nodescout
