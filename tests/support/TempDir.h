#pragma once

// A private folder for one test's files, removed with everything in it when
// the test ends.

#include <filesystem>
#include <string>
#include <string_view>

namespace nodescout::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& Path() const noexcept { return m_path; }
    std::string File(std::string_view name) const { return (m_path / name).string(); }

    // Writes bytes to the named file (created or replaced) and returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    // The whole content of the named file; empty if it does not exist.
    std::string Read(std::string_view name) const;
    // The whole content of any file; empty if it does not exist.
    static std::string ReadPath(const std::string& path);

private:
    std::filesystem::path m_path;
};

} // namespace nodescout::test
