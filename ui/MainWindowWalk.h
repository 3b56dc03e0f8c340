#pragma once

// The main window as the address walks see it (probe/AddressWalk.h): what a
// walk finds goes into the window's list, the begin, step and end of each
// range to the window's progress bar as the messages of ui/WalkProgress.h,
// and its status text to static 1036, each as one synchronous call onto the
// UI thread; the ranges come from the window's
// guarded fields, read at the moment the walk asks for them. A walk run by
// a worker stops when that worker is asked to stop, also during its pause.
// With ParallelProbes above 1 in the settings file (read as each walk
// starts), the range walks probe through the real UDP probe window
// (probe/UdpProbeWindow.h) rather than the window's probe function.

#include "probe/AddressWalk.h"
#include "ui/NodescoutDlg.h"
#include "ui/WalkProgress.h"

namespace nodescout {

class MainWindowWalkOwner final : public WalkOwner {
public:
    MainWindowWalkOwner(CNodescoutDlg& dlg, CProgressCtrl& progress) noexcept
        : m_dlg(dlg), m_progress(progress) {}

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

    CNodescoutDlg& m_dlg;
    CProgressCtrl& m_progress;
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
