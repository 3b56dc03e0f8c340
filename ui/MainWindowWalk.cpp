#include "ui/MainWindowWalk.h"

#include "framework/UiThread.h"
#include "framework/WorkerThread.h"
#include "platform/process/AppPaths.h"
#include "probe/UdpProbeWindow.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace nodescout {

MainWindowWalkOwner::~MainWindowWalkOwner() {
    SendPendingSteps();
}

void MainWindowWalkOwner::Probe(std::uint32_t address, MacText& macText, Text& computerName) {
    m_dlg.ProbeAddress(address, macText, computerName);
}

void MainWindowWalkOwner::RowFound(const char* ipText, const char* macText,
                                   const char* computerName) {
    SendPendingSteps();
    m_dlg.AddOrUpdateRow(ipText, macText, computerName);
}

SendProgressMessage MainWindowWalkOwner::ProgressSender() {
    return [this](UINT message, WPARAM wParam, LPARAM lParam) {
        m_progress.SendMessage(message, wParam, lParam);
    };
}

void MainWindowWalkOwner::SendPendingSteps() {
    m_lastSent = std::chrono::steady_clock::now();
    if (m_pendingSteps == 0) {
        return;
    }
    const int steps = std::exchange(m_pendingSteps, 0);
    CallOnUiThread([&] {
        for (int i = 0; i < steps; ++i) {
            SendAddressDone(ProgressSender());
        }
    });
}

void MainWindowWalkOwner::RangeBegins(std::int32_t count) {
    SendPendingSteps();
    SendRangeBegins(ProgressSender(), count);
}

void MainWindowWalkOwner::AddressDone() {
    ++m_pendingSteps;
    if (IsUiThread() || std::chrono::steady_clock::now() - m_lastSent >= kStepsGatheredFor) {
        SendPendingSteps();
    }
}

void MainWindowWalkOwner::RangeEnds(std::int32_t count) {
    SendPendingSteps();
    SendRangeEnds(ProgressSender(), count);
}

void MainWindowWalkOwner::SetStatusText(const char* text) {
    SendPendingSteps();
    m_dlg.SetDlgItemText(IDC_STATUS, text);
}

bool MainWindowWalkOwner::StopRequested() {
    return ThisWorkerStopRequested();
}

bool MainWindowWalkOwner::Pause(int seconds) {
    SendPendingSteps();
    return SleepUnlessStopped(std::chrono::seconds(std::max(seconds, 0)));
}

std::unique_ptr<ProbeWindow> MainWindowWalkOwner::OpenProbeWindow() {
    return OpenConfiguredProbeWindow(g_szIniPath.c_str());
}

} // namespace nodescout
