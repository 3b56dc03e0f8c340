#include "tests/support/FakeDesktop.h"

#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace nodescout::test {

FakeDesktop::FakeDesktop() {
    std::filesystem::create_directories(m_root.Path() / "data/applications");
    std::filesystem::create_directories(m_root.Path() / "config");
    std::filesystem::create_directories(m_root.Path() / "bin");
    m_env.Set("XDG_DATA_HOME", m_root.File("data").c_str());
    m_env.Set("XDG_DATA_DIRS", m_root.File("nowhere").c_str());
    m_env.Set("XDG_CONFIG_HOME", m_root.File("config").c_str());
    m_env.Set("XDG_CONFIG_DIRS", m_root.File("nowhere").c_str());
    m_env.Set("XDG_CURRENT_DESKTOP", nullptr);
    m_env.Set("DESKTOP_SESSION", nullptr);
    const char* path = std::getenv("PATH");
    m_env.Set("PATH", (m_root.File("bin") + ":" + (path ? path : "/usr/bin:/bin")).c_str());
}

void FakeDesktop::AddEntry(const std::string& id, const std::string& exec, bool otherGroupFirst) {
    const std::string main = "[Desktop Entry]\nType=Application\nName=Fake\nExec=" + exec + "\n";
    const std::string other = "[Desktop Action new]\nExec=wrong %u\n";
    m_root.Write("data/applications/" + id, otherGroupFirst ? other + main : main + other);
}

void FakeDesktop::RegisterBrowser(const std::string& id, const std::string& exec) {
    AddEntry(id, exec);
    m_root.Write("config/mimeapps.list", "[Default Applications]\ntext/html=" + id + ";\n");
}

std::string FakeDesktop::AddRecordingProgram(const std::string& name) {
    const std::string record = m_root.File(name + ".args");
    const std::string program = m_root.Write(
        "bin/" + name, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > " + record +
                           ".tmp && mv " + record + ".tmp " + record + "\n");
    chmod(program.c_str(), 0755);
    return record;
}

std::string FakeDesktop::WaitForFile(const std::string& path) {
    for (int i = 0; i < 500 && !std::filesystem::exists(path); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return TempDir::ReadPath(path);
}

} // namespace nodescout::test
