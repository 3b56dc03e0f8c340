#include "platform/shell/Shell.h"

#include "platform/fs/FileDescriptor.h"
#include "platform/process/ProcessPaths.h"
#include "platform/process/SystemError.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <thread>

extern char** environ;

namespace nodescout {
namespace {

std::mutex g_openFunctionMutex;
ShellOpenFunction g_openFunction;

std::vector<char*> ArgumentPointers(std::vector<std::string>& words) {
    std::vector<char*> pointers;
    for (std::string& word : words) {
        pointers.push_back(word.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

// Lets a thread of its own collect child when it ends, so no zombie stays
// behind. The thread touches nothing but the process id, so it may outlive
// everything else.
void ReapWhenEnded(pid_t child) {
    std::thread([child] {
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
}

// Starts words[0] (looked up in PATH) with the other words as arguments:
// kShellSuccess and child set, or the classic code of the failed start.
int Spawn(std::vector<std::string> words, pid_t& child) {
    if (words.empty()) {
        return 2;
    }
    std::vector<char*> argv = ArgumentPointers(words);
    const int error = posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    return error == 0 ? kShellSuccess : ShellCodeFromErrno(error);
}

int SpawnDetached(std::vector<std::string> words) {
    pid_t child = 0;
    const int result = Spawn(std::move(words), child);
    if (result == kShellSuccess) {
        ReapWhenEnded(child);
    }
    return result;
}

// How often a wait for the opener looks whether it has ended.
constexpr std::chrono::milliseconds kOpenerPollInterval{50};

// Waits for the opener child to end, pausing with pause between looks.
int WaitForOpener(pid_t child, const ShellWaitPause& pause) {
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(child, &status, WNOHANG);
        if (ended == child) {
            return ShellCodeFromOpenerStatus(status);
        }
        if (ended < 0 && errno != EINTR) {
            return kShellSuccess; // not ours to wait for any more: nothing known
        }
        if (!pause(kOpenerPollInterval)) {
            ReapWhenEnded(child);
            return kShellSuccess;
        }
    }
}

// Runs a program to its end and hands back what it wrote on its standard
// output. An error when it cannot start or does not exit with status 0.
std::error_code RunAndCapture(std::vector<std::string> words, std::string& output) {
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return LastSystemError();
    }
    UniqueFd readEnd(pipeEnds[0]);
    UniqueFd writeEnd(pipeEnds[1]);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.Get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv = ArgumentPointers(words);
    pid_t child = 0;
    const int spawnError = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    writeEnd.Close(); // so that the read below ends when the child does
    if (spawnError != 0) {
        return ErrorFromErrno(spawnError);
    }
    std::array<char, 512> chunk{};
    ssize_t got = 0;
    while ((got = read(readEnd.Get(), chunk.data(), chunk.size())) != 0) {
        if (got < 0 && errno != EINTR) {
            break;
        }
        if (got > 0) {
            output.append(chunk.data(), static_cast<std::size_t>(got));
        }
    }
    readEnd.Close(); // a child still writing gets EPIPE instead of waiting for us
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return {};
}

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The folders where desktop entries live, most important first.
std::vector<std::string> ApplicationFolders() {
    std::vector<std::string> folders;
    const std::string dataHome = UserDataFolder();
    if (!dataHome.empty()) {
        folders.push_back(dataHome + "/applications/");
    }
    std::string dataDirs = EnvironmentValue("XDG_DATA_DIRS");
    if (dataDirs.empty()) {
        dataDirs = "/usr/local/share:/usr/share";
    }
    std::size_t begin = 0;
    while (begin <= dataDirs.size()) {
        const std::size_t end = std::min(dataDirs.find(':', begin), dataDirs.size());
        if (end > begin) {
            folders.push_back(dataDirs.substr(begin, end - begin) + "/applications/");
        }
        begin = end + 1;
    }
    return folders;
}

// The Exec value of the [Desktop Entry] group, with the string escapes of
// desktop entries (\s \n \t \r \\) undone.
bool ReadExecValue(const std::string& path, std::string& exec) {
    std::ifstream file(path);
    std::string line;
    bool inMainGroup = false;
    while (std::getline(file, line)) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty() && line.front() == '[') {
            inMainGroup = line == "[Desktop Entry]";
            continue;
        }
        const std::size_t equals = line.find('=');
        if (!inMainGroup || equals == std::string::npos ||
            Trimmed(line.substr(0, equals)) != "Exec") {
            continue;
        }
        const std::string raw = Trimmed(line.substr(equals + 1));
        exec.clear();
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                exec += raw[i];
                continue;
            }
            const char escaped = raw[++i];
            exec += escaped == 's'   ? ' '
                    : escaped == 'n' ? '\n'
                    : escaped == 't' ? '\t'
                    : escaped == 'r' ? '\r'
                                     : escaped;
        }
        return true;
    }
    return false;
}

// %u %U %f %F become "%1"; "%%" becomes "%"; every other field code goes.
std::string ClassicPlaceholders(const std::string& exec) {
    std::string command;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        if (exec[i] != '%' || i + 1 == exec.size()) {
            command += exec[i];
            continue;
        }
        const char code = exec[++i];
        if (code == '%') {
            command += '%';
        } else if (code == 'u' || code == 'U' || code == 'f' || code == 'F') {
            command += "%1";
        }
    }
    return command;
}

} // namespace

int ShellCodeFromErrno(int error) noexcept {
    switch (error) {
    case ENOENT:
        return 2;
    case ENOTDIR:
    case ELOOP:
    case ENAMETOOLONG:
        return 3;
    case EACCES:
    case EPERM:
        return 5;
    case ENOMEM:
    case EAGAIN:
    case EMFILE:
    case ENFILE:
        return 8;
    case ENOEXEC:
    case ELIBBAD:
        return 11;
    case ETXTBSY:
        return 26;
    default:
        return 0;
    }
}

ShellOpenFunction SetShellOpenFunction(ShellOpenFunction function) {
    const std::lock_guard lock(g_openFunctionMutex);
    std::swap(g_openFunction, function);
    return function;
}

int ShellCodeFromOpenerStatus(int waitStatus) noexcept {
    if (!WIFEXITED(waitStatus)) {
        return SE_ERR_NOASSOC;
    }
    switch (WEXITSTATUS(waitStatus)) {
    case 0:
        return kShellSuccess;
    case 1:
    case 2:
        return 2;
    case 3:
        return SE_ERR_ASSOCINCOMPLETE;
    default:
        return SE_ERR_NOASSOC;
    }
}

int ShellExecuteOpen(const std::string& target, int showCommand, const ShellWaitPause& pause) {
    {
        const std::lock_guard lock(g_openFunctionMutex);
        if (g_openFunction) {
            return g_openFunction(target, showCommand);
        }
    }
    pid_t opener = 0;
    const int started = Spawn({"xdg-open", target}, opener);
    if (started != kShellSuccess) {
        // Without the desktop's opener nothing is associated with anything.
        return started == 2 ? SE_ERR_NOASSOC : started;
    }
    if (!pause) {
        ReapWhenEnded(opener);
        return kShellSuccess;
    }
    return WaitForOpener(opener, pause);
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    bool quoted = false;
    for (std::size_t i = 0; i < commandLine.size(); ++i) {
        const char c = commandLine[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < commandLine.size() &&
                       std::string_view("\"`$\\").find(commandLine[i + 1]) !=
                           std::string_view::npos) {
                word += commandLine[++i];
            } else {
                word += c;
            }
        } else if (c == ' ' || c == '\t') {
            if (inWord) {
                words.push_back(word);
                word.clear();
                inWord = false;
            }
        } else {
            inWord = true;
            if (c == '"') {
                quoted = true;
            } else {
                word += c;
            }
        }
    }
    if (inWord) {
        words.push_back(word);
    }
    return words;
}

std::string QuoteCommandWord(const std::string& word) {
    if (word.find_first_of(" \t\"") == std::string::npos) {
        return word;
    }
    std::string quoted = "\"";
    for (const char c : word) {
        if (std::string_view("\"`$\\").find(c) != std::string_view::npos) {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + '"';
}

int WinExec(const char* commandLine, int /*showCommand*/) {
    return SpawnDetached(SplitCommandLine(commandLine ? commandLine : ""));
}

std::error_code QueryDefaultApplication(const std::string& mimeType, std::string& desktopId) {
    std::string output;
    if (const std::error_code error =
            RunAndCapture({"xdg-mime", "query", "default", mimeType}, output)) {
        return error;
    }
    desktopId = Trimmed(output);
    if (desktopId.empty()) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    return {};
}

std::error_code ReadDesktopEntryCommand(const std::string& desktopId, std::string& command) {
    if (desktopId.empty() || desktopId.find('/') != std::string::npos) {
        return std::make_error_code(std::errc::invalid_argument);
    }
    for (const std::string& folder : ApplicationFolders()) {
        std::string exec;
        if (ReadExecValue(folder + desktopId, exec)) {
            command = ClassicPlaceholders(exec);
            return {};
        }
    }
    return std::make_error_code(std::errc::no_such_file_or_directory);
}

} // namespace nodescout
