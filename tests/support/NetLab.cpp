#include "tests/support/NetLab.h"

#include "platform/net/Inet.h"
#include "platform/net/UdpSocket.h"
#include "probe/NodeStatus.h"

#include <dirent.h>
#include <fcntl.h>
#include <net/if.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <thread>

extern char** environ;

namespace nodescout::test {
namespace {

constexpr char kNamespacePrefix[] = "nodescout-";
constexpr char kNamespaceFolder[] = "/run/netns";
// Builds, runs nmbd in and removes the LAN's parts, for the shell scripts
// and for NetLab alike.
constexpr char kLanScript[] = NODESCOUT_LAN_SCRIPT;
constexpr char kLateResponder[] = NODESCOUT_LATE_RESPONDER;

// A lan.sh command: ["bash", lan.sh, command, arguments...].
std::vector<std::string> LanCommand(const std::string& command,
                                    const std::vector<std::string>& arguments) {
    std::vector<std::string> line = {"bash", kLanScript, command};
    line.insert(line.end(), arguments.begin(), arguments.end());
    return line;
}

// The last line a command printed, without its line end.
std::string LastLine(const std::string& output) {
    std::string text = output;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    return text.substr(text.find_last_of('\n') + 1);
}

std::string Joined(const std::vector<std::string>& arguments) {
    std::string text;
    for (const std::string& argument : arguments) {
        text += (text.empty() ? "" : " ") + argument;
    }
    return text;
}

std::vector<char*> ArgumentPointers(const std::vector<std::string>& arguments) {
    std::vector<char*> pointers;
    for (const std::string& argument : arguments) {
        pointers.push_back(const_cast<char*>(argument.c_str()));
    }
    pointers.push_back(nullptr);
    return pointers;
}

int ExitStatus(int waitStatus) noexcept {
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

// Closes a descriptor when it goes out of scope.
struct Descriptor {
    int fd = -1;
    ~Descriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
};

// Spawn settings shared by every child: the default signal mask, and
// optionally a process group of its own.
struct SpawnAttributes {
    posix_spawnattr_t attributes{};

    explicit SpawnAttributes(bool ownProcessGroup) {
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigemptyset(&none);
        posix_spawnattr_setsigmask(&attributes, &none);
        short flags = POSIX_SPAWN_SETSIGMASK;
        if (ownProcessGroup) {
            posix_spawnattr_setpgroup(&attributes, 0);
            flags |= POSIX_SPAWN_SETPGROUP;
        }
        posix_spawnattr_setflags(&attributes, flags);
    }
    ~SpawnAttributes() { posix_spawnattr_destroy(&attributes); }
};

struct SpawnFiles {
    posix_spawn_file_actions_t actions{};
    SpawnFiles() { posix_spawn_file_actions_init(&actions); }
    ~SpawnFiles() { posix_spawn_file_actions_destroy(&actions); }
};

std::atomic<int> g_nextLabNumber{1};

// Whether the process that a stale name points at is gone.
bool ProcessIsGone(pid_t pid) noexcept {
    return kill(pid, 0) != 0 && errno == ESRCH;
}

// The pid in "nodescout-<pid>-...", or 0.
pid_t OwnerOf(const std::string& name) {
    const std::size_t start = sizeof kNamespacePrefix - 1;
    if (name.compare(0, start, kNamespacePrefix) != 0) {
        return 0;
    }
    const std::size_t end = name.find('-', start);
    const std::string digits = name.substr(start, end - start);
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), ::isdigit)) {
        return 0;
    }
    return static_cast<pid_t>(std::stol(digits));
}

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::ofstream out(path, std::ios::trunc);
    out << text;
    if (!out) {
        throw NetLabError("cannot write " + path.string());
    }
}

// The entries of a folder named "nodescout-<pid>-..." whose process is gone.
std::vector<std::string> StaleEntries(const std::string& folderPath) {
    std::vector<std::string> stale;
    if (DIR* folder = opendir(folderPath.c_str())) {
        while (const dirent* entry = readdir(folder)) {
            const std::string name = entry->d_name;
            const pid_t owner = OwnerOf(name);
            if (owner > 0 && owner != getpid() && ProcessIsGone(owner)) {
                stale.push_back(name);
            }
        }
        closedir(folder);
    }
    return stale;
}

} // namespace

CommandResult RunCommand(const std::vector<std::string>& arguments) {
    CommandResult result;
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        result.output = "pipe: " + std::string(std::strerror(errno));
        return result;
    }
    Descriptor reader{pipeEnds[0]};
    Descriptor writer{pipeEnds[1]};

    SpawnFiles files;
    posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&files.actions, writer.fd, 1);
    posix_spawn_file_actions_adddup2(&files.actions, writer.fd, 2);
    SpawnAttributes attributes(false);
    std::vector<char*> argv = ArgumentPointers(arguments);
    pid_t pid = -1;
    const int spawnError =
        posix_spawnp(&pid, argv[0], &files.actions, &attributes.attributes, argv.data(), environ);
    ::close(writer.fd);
    writer.fd = -1;
    if (spawnError != 0) {
        result.output = arguments[0] + ": " + std::strerror(spawnError);
        return result;
    }

    char chunk[4096];
    for (;;) {
        const ssize_t count = ::read(reader.fd, chunk, sizeof chunk);
        if (count > 0) {
            result.output.append(chunk, static_cast<std::size_t>(count));
        } else if (count == 0 || errno != EINTR) {
            break;
        }
    }
    int waitStatus = 0;
    while (waitpid(pid, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    result.status = ExitStatus(waitStatus);
    return result;
}

std::string RunChecked(const std::vector<std::string>& arguments) {
    CommandResult result = RunCommand(arguments);
    if (!result.Succeeded()) {
        throw NetLabError("'" + Joined(arguments) + "' failed (status " +
                          std::to_string(result.status) + "): " + result.output);
    }
    return std::move(result.output);
}

// --- ScopedNamespace --------------------------------------------------------

ScopedNamespace::ScopedNamespace(const std::string& netns) {
    m_original = ::open("/proc/thread-self/ns/net", O_RDONLY | O_CLOEXEC);
    if (m_original < 0) {
        throw NetLabError("cannot open this thread's network namespace: " +
                          std::string(std::strerror(errno)));
    }
    const std::string path = std::string(kNamespaceFolder) + "/" + netns;
    Descriptor target{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (target.fd < 0 || setns(target.fd, CLONE_NEWNET) != 0) {
        const std::string reason = std::strerror(errno);
        ::close(m_original);
        throw NetLabError("cannot enter network namespace " + netns + ": " + reason);
    }
}

ScopedNamespace::~ScopedNamespace() {
    // A thread left in a test namespace would run the rest of the process's
    // work in the wrong network; stopping is the only safe answer.
    if (setns(m_original, CLONE_NEWNET) != 0) {
        std::abort();
    }
    ::close(m_original);
}

// --- LabProcess --------------------------------------------------------------

LabProcess::LabProcess(const std::vector<std::string>& arguments, std::filesystem::path outputFile)
    : m_outputFile(std::move(outputFile)) {
    SpawnFiles files;
    posix_spawn_file_actions_addopen(&files.actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&files.actions, 1, m_outputFile.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&files.actions, 1, 2);
    SpawnAttributes attributes(true);
    std::vector<char*> argv = ArgumentPointers(arguments);
    const int spawnError =
        posix_spawnp(&m_pid, argv[0], &files.actions, &attributes.attributes, argv.data(), environ);
    if (spawnError != 0) {
        m_pid = -1;
        throw NetLabError("cannot start '" + Joined(arguments) + "': " + std::strerror(spawnError));
    }
}

LabProcess::~LabProcess() {
    Stop();
}

bool LabProcess::Reap(bool wait) noexcept {
    if (m_pid < 0) {
        return true;
    }
    int waitStatus = 0;
    pid_t reaped = 0;
    do {
        reaped = waitpid(m_pid, &waitStatus, wait ? 0 : WNOHANG);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == 0) {
        return false;
    }
    m_pid = -1;
    return true;
}

bool LabProcess::IsRunning() {
    return !Reap(false);
}

void LabProcess::Stop() noexcept {
    if (m_pid < 0) {
        return;
    }
    kill(-m_pid, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!Reap(false)) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(-m_pid, SIGKILL);
            Reap(true);
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

std::string LabProcess::Output() const {
    std::ifstream in(m_outputFile);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// --- LabHost ----------------------------------------------------------------

std::uint32_t LabHost::AddressValue() const {
    return inet_addr(address.c_str());
}

std::string LabHost::MacText() const {
    std::string text;
    for (const char c : mac) {
        if (c != ':') {
            text += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
    }
    return text;
}

// --- NetLab -----------------------------------------------------------------

std::string NetLab::UnavailableReason() {
    static const std::string reason = [] {
        if (geteuid() != 0) {
            return std::string("needs root to build network namespaces");
        }
        if (!RunCommand({"ip", "-V"}).Succeeded()) {
            return std::string("needs iproute2's ip to build network namespaces");
        }
        return std::string();
    }();
    return reason;
}

std::string NetLab::NmbdUnavailableReason() {
    static const std::string reason = [] {
        std::string lab = UnavailableReason();
        if (!lab.empty()) {
            return lab;
        }
        if (!RunCommand({"nmbd", "--version"}).Succeeded()) {
            return std::string("needs Samba's nmbd (package samba)");
        }
        return std::string();
    }();
    return reason;
}

NetLab::SweepLock::SweepLock()
    : m_fd(open((std::filesystem::temp_directory_path() / "nodescout-netlab.lock").c_str(),
                O_RDWR | O_CREAT | O_CLOEXEC, 0600)) {
    while (m_fd >= 0 && flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
    }
}

NetLab::SweepLock::~SweepLock() {
    if (m_fd >= 0) {
        close(m_fd); // releases the lock
    }
}

void NetLab::SweepStaleLabs() {
    const SweepLock lock;
    const std::vector<std::string> stale = StaleEntries(kNamespaceFolder);
    if (!stale.empty()) {
        RunCommand(LanCommand("delete", stale));
    }
    const std::filesystem::path temporary = std::filesystem::temp_directory_path();
    for (const std::string& folder : StaleEntries(temporary.string())) {
        std::error_code ignored;
        std::filesystem::remove_all(temporary / folder, ignored);
    }
}

NetLab::NetLab(const std::string& bridgeAddress)
    : m_lab(kNamespacePrefix + std::to_string(getpid()) + "-" + std::to_string(g_nextLabNumber++)) {
    SweepStaleLabs();
    const std::size_t slash = bridgeAddress.find('/');
    if (slash == std::string::npos) {
        throw NetLabError("bridge address without prefix: " + bridgeAddress);
    }
    m_prefixLength = bridgeAddress.substr(slash + 1);

    // Named like the namespaces, so that the sweep finds it too.
    std::string folder = (std::filesystem::temp_directory_path() /
                          (kNamespacePrefix + std::to_string(getpid()) + "-lab-XXXXXX"))
                             .string();
    if (mkdtemp(folder.data()) == nullptr) {
        throw NetLabError("cannot create a folder for the lab");
    }
    m_folder = folder;

    try {
        m_client = LastLine(RunChecked(LanCommand("create", {m_lab, bridgeAddress})));
    } catch (...) {
        TearDown(); // the destructor of a half-built object does not run
        throw;
    }
}

NetLab::~NetLab() {
    TearDown();
}

void NetLab::TearDown() noexcept {
    for (auto& process : m_processes) {
        process->Stop();
    }
    m_processes.clear();
    // Every namespace of this lab, also one a failed step left half made.
    std::vector<std::string> namespaces;
    if (DIR* folder = opendir(kNamespaceFolder)) {
        while (const dirent* entry = readdir(folder)) {
            if (std::string name = entry->d_name; name.starts_with(m_lab + "-")) {
                namespaces.push_back(std::move(name));
            }
        }
        closedir(folder);
    }
    if (!namespaces.empty()) {
        RunCommand(LanCommand("delete", namespaces));
    }
    std::error_code ignored;
    std::filesystem::remove_all(m_folder, ignored);
}

void NetLab::Ip(const std::string& netns, const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = {"ip", "-n", netns};
    command.insert(command.end(), arguments.begin(), arguments.end());
    RunChecked(command);
}

const LabHost& NetLab::AddHost(const std::string& address, const std::string& mac) {
    const std::string name = "h" + std::to_string(m_hosts.size() + 1);
    auto host = std::make_unique<LabHost>();
    host->netns = LastLine(
        RunChecked(LanCommand("add-host", {m_lab, name, address + "/" + m_prefixLength, mac})));
    host->address = address;
    host->mac = mac;
    m_hosts.push_back(std::move(host));
    return *m_hosts.back();
}

int NetLab::AddClientBridge(const std::string& name, const std::string& address) {
    Ip(m_client, {"link", "add", name, "type", "bridge"});
    Ip(m_client, {"link", "set", name, "up"});
    Ip(m_client, {"address", "add", address, "dev", name});
    return ClientInterfaceIndex(name);
}

int NetLab::ClientInterfaceIndex(const std::string& name) const {
    ScopedNamespace inside(m_client);
    return static_cast<int>(if_nametoindex(name.c_str()));
}

void NetLab::RouteLimitedBroadcast() {
    Ip(m_client, {"route", "add", "255.255.255.255/32", "dev", "br0"});
}

void NetLab::SetNeighbour(const std::string& address, const std::string& mac,
                          const std::string& state, const std::string& device) {
    std::vector<std::string> arguments = {"neigh", "replace", address, "dev", device};
    if (!mac.empty()) {
        arguments.insert(arguments.end(), {"lladdr", mac});
    }
    arguments.insert(arguments.end(), {"nud", state});
    Ip(m_client, arguments);
}

void NetLab::RunBatchInClient(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + "\n";
    }
    const std::filesystem::path batch = m_folder / "batch.txt";
    WriteFile(batch, text);
    RunChecked({"ip", "-n", m_client, "-batch", batch.string()});
}

std::string NetLab::ShowNeighbours() const {
    return RunCommand({"ip", "-n", m_client, "neigh", "show", "nud", "all"}).output;
}

std::string NetLab::Exec(const std::string& netns,
                         const std::vector<std::string>& arguments) const {
    std::vector<std::string> command = {"ip", "netns", "exec", netns};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return RunChecked(command);
}

LabProcess& NetLab::Start(const std::string& netns, const std::vector<std::string>& arguments,
                          const std::string& logName) {
    std::vector<std::string> command = {"ip", "netns", "exec", netns};
    command.insert(command.end(), arguments.begin(), arguments.end());
    m_processes.push_back(std::make_unique<LabProcess>(command, m_folder / logName));
    return *m_processes.back();
}

LabProcess& NetLab::StartNmbd(const LabHost& host, const std::string& netbiosName,
                              const std::string& workgroup, std::chrono::milliseconds timeout) {
    // lan.sh writes the configuration into the folder and becomes nmbd.
    const std::filesystem::path folder = m_folder / ("nmbd-" + netbiosName);
    return StartAnswering(host, "nmbd",
                          LanCommand("nmbd", {host.netns, host.address + "/" + m_prefixLength,
                                              netbiosName, workgroup, folder.string()}),
                          "nmbd-" + netbiosName + ".log", timeout);
}

LabProcess& NetLab::StartLateResponder(const LabHost& host, const std::string& netbiosName,
                                       std::chrono::milliseconds delay,
                                       const std::string& adapter) {
    return StartAnswering(
        host, "late responder",
        LanCommand("responder", {kLateResponder, host.netns, host.address,
                                 std::to_string(delay.count()), netbiosName, adapter}),
        "responder-" + netbiosName + ".log", std::chrono::seconds(10));
}

LabProcess& NetLab::StartAnswering(const LabHost& host, const std::string& what,
                                   const std::vector<std::string>& command,
                                   const std::string& logName, std::chrono::milliseconds timeout) {
    m_processes.push_back(std::make_unique<LabProcess>(command, m_folder / logName));
    LabProcess& process = *m_processes.back();
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!process.IsRunning()) {
            throw NetLabError(what + " on " + host.address + " ended at start:\n" +
                              process.Output());
        }
        if (WaitForNodeStatus(host.address, std::chrono::milliseconds(200))) {
            return process;
        }
    }
    throw NetLabError(what + " on " + host.address + " did not answer within " +
                      std::to_string(timeout.count()) + " ms:\n" + process.Output());
}

bool NetLab::WaitForNodeStatus(const std::string& address,
                               std::chrono::milliseconds timeout) const {
    ScopedNamespace inside(m_client);
    const std::uint32_t target = inet_addr(address.c_str());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    UdpSocket socket;
    do {
        if (!socket.SendTo(NodeStatusRequest(), target, htons(kNetBiosNamePort)).Succeeded()) {
            return false;
        }
        if (socket.WaitReadable(timeval{0, 20000}) == WaitResult::Readable) {
            std::uint8_t answer[kNodeStatusAnswerCapacity];
            std::uint32_t sender = 0;
            std::uint16_t port = 0;
            if (socket.ReceiveFrom(answer, sender, port).Succeeded() && sender == target &&
                port == htons(kNetBiosNamePort)) {
                return true;
            }
        }
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

} // namespace nodescout::test
