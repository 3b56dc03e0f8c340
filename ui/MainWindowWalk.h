#pragma once

// The main window as the address walks see it (probe/AddressWalk.h): what a
// walk finds goes into the window's list, the begin, step and end of each
// range to the window's progress bar as the messages of ui/WalkProgress.h,
// and its status text to static 1036, each as one synchronous call onto the
// UI thread. On a worker, the steps of the addresses done are gathered and
// sent together, in one such call, at most every kStepsGatheredFor and
// always before anything else the walk sends, before a pause and when the
// walk ends: the bar gets the same messages in the same order as with one
// call per step, without a wait for the UI thread after every address
// (a step still pending when the worker is stopped is not sent, as nothing
// is after a stop). The ranges come from the window's
// guarded fields, read at the moment the walk asks for them. A walk run by
// a worker stops when that worker is asked to stop, also during its pause.
// With ParallelProbes above 1 in the settings file (read as each walk
// starts), the range walks probe through the real UDP probe window
// (probe/UdpProbeWindow.h) rather than the window's probe function.

#include "probe/AddressWalk.h"
#include "ui/NodescoutDlg.h"
#include "ui/WalkProgress.h"

#include <chrono>

namespace nodescout {

// Longer than a screen takes to show a frame, far shorter than a user notices.
inline constexpr std::chrono::milliseconds kStepsGatheredFor{10};

class MainWindowWalkOwner final : public WalkOwner {
public:
    MainWindowWalkOwner(CNodescoutDlg& dlg, CProgressCtrl& progress) noexcept
        : m_dlg(dlg), m_progress(progress) {}
    ~MainWindowWalkOwner() override;
    MainWindowWalkOwner(const MainWindowWalkOwner&) = delete;
    MainWindowWalkOwner& operator=(const MainWindowWalkOwner&) = delete;

    void Probe(std::uint32_t address, MacText& macText, Text& computerName) override;
    void RowFound(const char* ipText, const char* macText, const char* computerName) override;
    void RangeBegins(std::int32_t count) override;
    void AddressDone() override;
    void RangeEnds(std::int32_t count) override;
    void SetStatusText(const char* text) override;
    bool StopRequested() override;
    bool Pause(int seconds) override;
    std::unique_ptr<ProbeWindow> OpenProbeWindow() override;

private:
    // Sends to the progress bar, from whichever thread the walk runs on.
    SendProgressMessage ProgressSender();
    // Sends the steps gathered so far, in one call onto the UI thread.
    void SendPendingSteps();

    CNodescoutDlg& m_dlg;
    CProgressCtrl& m_progress;
    int m_pendingSteps = 0;
    std::chrono::steady_clock::time_point m_lastSent = std::chrono::steady_clock::now();
};

// The table of ranges that "Retr All" walks.
class RangeTableOfWindow final : public RangeSource {
public:
    explicit RangeTableOfWindow(const CNodescoutDlg& dlg) noexcept : m_dlg(dlg) {}

    int RangeCount() override { return m_dlg.GetRangeCount(); }
    Text RangeStart(int index) override { return m_dlg.GetRange(index).start; }
    Text RangeEnd(int index) override { return m_dlg.GetRange(index).end; }

private:
    const CNodescoutDlg& m_dlg;
};

// The one range of the two address fields, which the auto-scan walks.
class AddressFieldsOfWindow final : public RangeSource {
public:
    explicit AddressFieldsOfWindow(const CNodescoutDlg& dlg) noexcept : m_dlg(dlg) {}

    int RangeCount() override { return 1; }
    Text RangeStart(int) override { return m_dlg.GetIP1(); }
    Text RangeEnd(int) override { return m_dlg.GetIP2(); }

private:
    const CNodescoutDlg& m_dlg;
};

} // namespace nodescout
