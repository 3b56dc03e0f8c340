// The walking commands' part of the main window: the walks and the workers
// that run them.

#include "probe/MacAddressText.h"
#include "ui/MainWindowWalk.h"
#include "ui/NodescoutDlg.h"

#include <optional>
#include <system_error>

namespace nodescout {

// ============================================================ the walks
// Each runs on the calling thread (a worker's, see the routines below) and
// hands the work to probe/AddressWalk, with this window as its owner.

int CNodescoutDlg::ScanAllRanges() {
    MainWindowWalkOwner owner(*this, m_Progress);
    RangeTableOfWindow table(*this);
    return nodescout::ScanAllRanges(owner, table);
}

int CNodescoutDlg::ScanRange() {
    MainWindowWalkOwner owner(*this, m_Progress);
    AddressFieldsOfWindow range(*this);
    return nodescout::ScanRange(owner, range);
}

int CNodescoutDlg::SearchMac() {
    // Text that is no MAC address searches for the empty text, which no
    // probe reports.
    return SearchMac(
        MacSearchTexts{GetIP1(), GetIP2(), SearchedMacText(GetMac().View()).value_or(MacText())});
}

int CNodescoutDlg::SearchMac(const MacSearchTexts& texts) {
    MainWindowWalkOwner owner(*this, m_Progress);
    const std::optional<Text> message =
        nodescout::SearchMac(owner, texts.startText, texts.endText, texts.macText);
    if (message) {
        // From a worker the box runs on the UI thread; a worker stopped
        // meanwhile (the window is closing) shows nothing.
        AfxMessageBox(message->c_str(), MB_OK | MB_ICONINFORMATION);
    }
    return 1;
}

DWORD ScanAllThreadProc(CNodescoutDlg* pDlg) {
    return static_cast<DWORD>(pDlg->ScanAllRanges());
}

DWORD AutoScanThreadProc(CNodescoutDlg* pDlg) {
    MainWindowWalkOwner owner(*pDlg, pDlg->m_Progress);
    AddressFieldsOfWindow range(*pDlg);
    RunAutoScan(owner, range, [pDlg] { return pDlg->GetInterval(); });
    return 0;
}

DWORD MacSearchThreadProc(CNodescoutDlg* pDlg, const MacSearchTexts& texts) {
    return static_cast<DWORD>(pDlg->SearchMac(texts));
}

// ============================================================ the workers

std::shared_ptr<CWorkerThread> CNodescoutDlg::StartWorker(std::function<void()> threadProc) {
    try {
        return GetWorkers().Start(std::move(threadProc));
    } catch (const std::system_error&) {
        return nullptr;
    }
}

bool CNodescoutDlg::StartAutoScanWorker(std::function<void()> threadProc) {
    StopAutoScan();
    m_hAutoScanThread = StartWorker(std::move(threadProc));
    return m_hAutoScanThread != nullptr;
}

void CNodescoutDlg::StopAutoScan() {
    if (m_hAutoScanThread) {
        m_hAutoScanThread->Stop();
        m_hAutoScanThread.reset();
    }
}

} // namespace nodescout
