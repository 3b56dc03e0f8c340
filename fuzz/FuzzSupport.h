#pragma once

// What the fuzz targets share: a check that stops the run when an invariant
// breaks (libFuzzer then keeps the input that broke it), and a scratch
// folder of the process's own for the functions that read and write files.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

// Aborts with the condition's text and place when it does not hold.
#define NODESCOUT_FUZZ_CHECK(condition)                                                            \
    ((condition) ? static_cast<void>(0) : ::nodescout::fuzz::Fail(#condition, __FILE__, __LINE__))

namespace nodescout::fuzz {

[[noreturn]] inline void Fail(const char* condition, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

// A folder made for this process and removed when it ends normally. It lies
// in $TMPDIR when that is set, otherwise in /dev/shm: the settings file's
// writes flush file and folder to disk, which costs nothing on tmpfs and
// milliseconds on a disk.
inline const std::string& ScratchFolder();

inline const std::string* MakeScratchFolder() {
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || *base == '\0') {
        base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    }
    std::string pattern = std::string(base) + "/nodescout-fuzz.XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror("nodescout fuzz: mkdtemp");
        std::abort();
    }
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(ScratchFolder(), ignored);
    });
    return new std::string(pattern);
}

inline const std::string& ScratchFolder() {
    // Never destroyed: the removal at exit still needs the name.
    static const std::string* const folder = MakeScratchFolder();
    return *folder;
}

inline std::string ScratchFile(const char* name) {
    return ScratchFolder() + "/" + name;
}

// Replaces the file's content with bytes (creating the file).
inline void WriteScratchFile(const std::string& path, std::string_view bytes) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    NODESCOUT_FUZZ_CHECK(fd >= 0);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        NODESCOUT_FUZZ_CHECK(written > 0);
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    ::close(fd);
}

// The file's bytes, or "no file" when there is none.
struct ScratchContent {
    bool m_bExists = false;
    std::string m_strBytes;
    bool operator==(const ScratchContent&) const = default;
};

inline ScratchContent ReadScratchFile(const std::string& path) {
    ScratchContent content;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return content;
    }
    content.m_bExists = true;
    char chunk[4096];
    for (ssize_t count; (count = ::read(fd, chunk, sizeof chunk)) > 0;) {
        content.m_strBytes.append(chunk, static_cast<std::size_t>(count));
    }
    ::close(fd);
    return content;
}

} // namespace nodescout::fuzz
