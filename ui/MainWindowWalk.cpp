#include "ui/MainWindowWalk.h"

#include "framework/WorkerThread.h"
#include "platform/process/AppPaths.h"
#include "probe/UdpProbeWindow.h"

#include <algorithm>
#include <chrono>

namespace nodescout {

void MainWindowWalkOwner::Probe(std::uint32_t address, MacText& macText, Text& computerName) {
    m_dlg.ProbeAddress(address, macText, computerName);
}

void MainWindowWalkOwner::RowFound(const char* ipText, const char* macText,
                                   const char* computerName) {
    m_dlg.AddOrUpdateRow(ipText, macText, computerName);
}

SendProgressMessage MainWindowWalkOwner::ProgressSender() {
    return [this](UINT message, WPARAM wParam, LPARAM lParam) {
        m_progress.SendMessage(message, wParam, lParam);
    };
}

void MainWindowWalkOwner::RangeBegins(std::int32_t count) {
    SendRangeBegins(ProgressSender(), count);
}

void MainWindowWalkOwner::AddressDone() {
    SendAddressDone(ProgressSender());
}

void MainWindowWalkOwner::RangeEnds(std::int32_t count) {
    SendRangeEnds(ProgressSender(), count);
}

void MainWindowWalkOwner::SetStatusText(const char* text) {
    m_dlg.SetDlgItemText(IDC_STATUS, text);
}

bool MainWindowWalkOwner::StopRequested() {
    return ThisWorkerStopRequested();
}

bool MainWindowWalkOwner::Pause(int seconds) {
    return SleepUnlessStopped(std::chrono::seconds(std::max(seconds, 0)));
}

std::unique_ptr<ProbeWindow> MainWindowWalkOwner::OpenProbeWindow() {
    return OpenConfiguredProbeWindow(g_szIniPath.c_str());
}

} // namespace nodescout
