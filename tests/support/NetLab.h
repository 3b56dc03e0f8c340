#pragma once

// A throwaway LAN of network namespaces for the tests and benchmarks that
// need real hosts.
//
//   client namespace                         host namespaces
//   lo, br0 = 198.18.0.1/24  --- v-h1 ====== eth0 = 198.18.0.10, MAC 02:...
//                            --- v-h2 ====== eth0 = 198.18.0.11, MAC 02:...
//
// The client namespace holds a bridge; every host is a namespace of its own,
// joined to the bridge by a veth pair, with the address and MAC the test
// chose. No namespace has a default route, so a stray address fails at once
// instead of leaving the lab; nothing here ever touches the machine's own
// network. The namespaces, links, nmbd's configuration and the teardown
// are those of scripts/lib/lan.sh, which the lab runs for each step. Code under test runs in the
// client namespace by entering it on the calling thread (ScopedNamespace).
//
// Namespace names are "nodescout-<pid>-<lab>-<role>", so parallel test
// processes never collide. The destructor stops every process the lab
// started and removes every namespace, also when a test fails; namespaces
// and folders left behind by test processes that died are swept when the
// next lab is built.
//
// Building a lab needs root (CAP_SYS_ADMIN and CAP_NET_ADMIN) and iproute2.

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace nodescout::test {

// Thrown when a lab cannot be built or a command in it fails; the message
// names the command and holds its output.
class NetLabError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct CommandResult {
    int status = -1;    // exit status, or -1 when the program could not run or was killed
    std::string output; // standard output and standard error together
    bool Succeeded() const noexcept { return status == 0; }
};

// Runs a program (found on PATH, no shell in between) and waits for it.
CommandResult RunCommand(const std::vector<std::string>& arguments);
// The same, but a failure throws NetLabError; returns the output.
std::string RunChecked(const std::vector<std::string>& arguments);

// Moves the calling thread into a named network namespace until the end of
// the scope. setns() of a network namespace affects only the calling thread,
// so other threads stay where they are. Sockets opened inside the scope stay
// in the namespace after it ends.
class ScopedNamespace {
public:
    explicit ScopedNamespace(const std::string& netns);
    ~ScopedNamespace(); // returns to the thread's former namespace, or aborts
    ScopedNamespace(const ScopedNamespace&) = delete;
    ScopedNamespace& operator=(const ScopedNamespace&) = delete;

private:
    int m_original = -1;
};

// A program running in the background in its own process group, its output
// collected in a file so that a failing test can show it.
class LabProcess {
public:
    LabProcess(const std::vector<std::string>& arguments, std::filesystem::path outputFile);
    ~LabProcess(); // Stop()
    LabProcess(const LabProcess&) = delete;
    LabProcess& operator=(const LabProcess&) = delete;

    pid_t Pid() const noexcept { return m_pid; }
    bool IsRunning();
    // SIGTERM to the whole group, SIGKILL if it has not ended within two
    // seconds; waits for it either way.
    void Stop() noexcept;
    std::string Output() const;

private:
    bool Reap(bool wait) noexcept;

    pid_t m_pid = -1;
    std::filesystem::path m_outputFile;
};

struct LabHost {
    std::string netns;
    std::string address; // dotted, e.g. "198.18.0.10"
    std::string mac;     // as ip writes it, e.g. "02:4e:53:00:00:0a"

    std::uint32_t AddressValue() const; // network byte order
    std::string MacText() const;        // twelve lower-case digits
};

class NetLab {
public:
    // Empty when labs can be built here, otherwise a one-line reason.
    static std::string UnavailableReason();
    // The same, for labs that also run Samba's nmbd.
    static std::string NmbdUnavailableReason();
    // Removes the namespaces (killing the processes in them) and the lab
    // folders of test processes that no longer exist.
    static void SweepStaleLabs();

    // Holds off every sweep of every test process while it lives (tests run
    // in parallel, and one process's sweep must not meet another's half-made
    // leftovers).
    class SweepLock {
    public:
        SweepLock();
        ~SweepLock();
        SweepLock(const SweepLock&) = delete;
        SweepLock& operator=(const SweepLock&) = delete;

    private:
        int m_fd;
    };

    // Builds the client namespace with its bridge br0 at bridgeAddress
    // (address/prefix). Throws NetLabError.
    explicit NetLab(const std::string& bridgeAddress = "198.18.0.1/24");
    ~NetLab();
    NetLab(const NetLab&) = delete;
    NetLab& operator=(const NetLab&) = delete;

    const std::string& ClientNamespace() const noexcept { return m_client; }
    // A folder of the lab's own for configuration files and logs.
    const std::filesystem::path& Folder() const noexcept { return m_folder; }

    // A host namespace on the bridge with the given address (same prefix as
    // the bridge) and MAC.
    const LabHost& AddHost(const std::string& address, const std::string& mac);
    // One more interface in the client namespace: an empty bridge with an
    // address of its own (address/prefix). Returns its interface index.
    int AddClientBridge(const std::string& name, const std::string& address);
    int ClientInterfaceIndex(const std::string& name) const;
    // A route for 255.255.255.255 over br0, for tests that broadcast.
    void RouteLimitedBroadcast();

    // ip neigh replace in the client namespace; state as ip spells it
    // (permanent, stale, noarp, ...). An empty mac adds no lladdr.
    void SetNeighbour(const std::string& address, const std::string& mac, const std::string& state,
                      const std::string& device = "br0");
    // Many ip commands at once (ip -batch), each line without the "ip".
    void RunBatchInClient(const std::vector<std::string>& lines);
    // ip neigh show nud all in the client namespace, for failure messages.
    std::string ShowNeighbours() const;

    // Runs a program inside a namespace (ip netns exec); throws on failure.
    std::string Exec(const std::string& netns, const std::vector<std::string>& arguments) const;

    // Starts a program inside a namespace; the lab stops it at the latest in
    // its destructor.
    LabProcess& Start(const std::string& netns, const std::vector<std::string>& arguments,
                      const std::string& logName);
    // Starts nmbd on the host with its own configuration and folders, and
    // waits until it answers a node-status request. Throws with nmbd's
    // output when it does not answer within the timeout.
    LabProcess& StartNmbd(const LabHost& host, const std::string& netbiosName,
                          const std::string& workgroup = "SCOUTLAB",
                          std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Starts nodescout_late_responder on the host: it answers node status
    // as netbiosName, delay after each request, with the adapter address
    // "zero" (six zero bytes, as Samba sends) or a MAC. Waits until it
    // answers; throws with its output when it does not within ten seconds.
    LabProcess& StartLateResponder(const LabHost& host, const std::string& netbiosName,
                                   std::chrono::milliseconds delay,
                                   const std::string& adapter = "zero");
    // Sends node-status requests from the client namespace to address
    // until some datagram comes back from its port 137.
    bool WaitForNodeStatus(const std::string& address, std::chrono::milliseconds timeout) const;

private:
    // Starts command and waits until host answers node status.
    LabProcess& StartAnswering(const LabHost& host, const std::string& what,
                               const std::vector<std::string>& command, const std::string& logName,
                               std::chrono::milliseconds timeout);
    void TearDown() noexcept;
    void Ip(const std::string& netns, const std::vector<std::string>& arguments) const;

    std::string m_lab; // "nodescout-<pid>-<lab>", the start of every namespace's name
    std::string m_client;
    std::string m_prefixLength;
    std::filesystem::path m_folder;
    std::vector<std::unique_ptr<LabHost>> m_hosts;
    std::vector<std::unique_ptr<LabProcess>> m_processes;
};

} // namespace nodescout::test

// Ends the current test as skipped, with the reason, when no lab can be
// built (not root, no iproute2).
#define NODESCOUT_SKIP_WITHOUT_NETLAB()                                                            \
    do {                                                                                           \
        if (const std::string reason = ::nodescout::test::NetLab::UnavailableReason();             \
            !reason.empty()) {                                                                     \
            GTEST_SKIP() << reason;                                                                \
        }                                                                                          \
    } while (false)

// The same for tests that also need nmbd.
#define NODESCOUT_SKIP_WITHOUT_NMBD()                                                              \
    do {                                                                                           \
        if (const std::string reason = ::nodescout::test::NetLab::NmbdUnavailableReason();         \
            !reason.empty()) {                                                                     \
            GTEST_SKIP() << reason;                                                                \
        }                                                                                          \
    } while (false)
