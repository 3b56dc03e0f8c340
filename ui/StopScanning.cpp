// The main window's "Stop Scanning": a command of its system menu, enabled
// while a walk runs, that stops every walk the window has started.

#include "ui/NodescoutDlg.h"

#include <string>

namespace nodescout {

void CNodescoutDlg::AppendStopScanningToSystemMenu() {
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    std::string strStopMenu;
    if (!pSysMenu || !AfxLoadString(IDS_STOPSCANNING, strStopMenu)) {
        return;
    }
    pSysMenu->AppendMenu(MF_SEPARATOR);
    // Greyed until the menu opens while a walk runs (OnInitMenuPopup).
    pSysMenu->AppendMenu(MF_STRING | MF_GRAYED, IDM_STOPSCANNING, strStopMenu.c_str());
}

LRESULT CNodescoutDlg::OnInitMenuPopup(WPARAM wParam, LPARAM lParam) {
    auto* pMenu = reinterpret_cast<CMenu*>(wParam);
    const bool bSystemMenu = HIWORD(static_cast<DWORD_PTR>(lParam)) != 0;
    if (pMenu && bSystemMenu) {
        const bool bWalking = GetWorkers().RunningCount() > 0;
        pMenu->EnableMenuItem(IDM_STOPSCANNING, MF_BYCOMMAND | (bWalking ? MF_ENABLED : MF_GRAYED));
    }
    return 0;
}

// As the way out stops them, without asking: the auto-scan first, so that
// its toggle never shows checked without a worker behind it, then every
// other walk ("Retr All" and "MAC => IP" workers alike).
void CNodescoutDlg::OnStopScanning() {
    StopAutoScan();
    CheckDlgButton(IDC_AUTO_SCAN, BST_UNCHECKED);
    GetWorkers().StopAll();
}

} // namespace nodescout
