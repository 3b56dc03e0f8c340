#pragma once

// The main window: the result list, the command buttons, the "Auto Scan"
// toggle, the progress bar, the status text and the web link (template 102).
// It owns the program's working state: the last address range typed, the
// table of ranges, the MAC text searched for, the auto-scan interval and the
// auto-scan worker. It loads the settings and the saved list when it opens
// and writes them back when its window goes, on every way out.
//
// Workers read the shared fields (the addresses, the range table, the MAC
// text, the interval) while the UI thread may rewrite them, so every access
// goes through the accessors below, under one lock: a reader sees the old
// value or the new one, never a mix. Workers reach the controls only through
// the framework's calls onto the UI thread.
//
// The members are defined in three files: NodescoutDlg.cpp (the window, its
// commands and the way out), NodescoutDlgWalks.cpp (the walks and their
// workers) and NodescoutDlgState.cpp (the settings, the saved list and the
// exports).

#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/WinApp.h"
#include "platform/text/FixedText.h"
#include "store/ListFile.h"
#include "store/Settings.h"
#include "ui/HostTips.h"
#include "ui/HyperLink.h"
#include "ui/ResultList.h"
#include "ui/resource.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string_view>
#include <vector>

namespace nodescout {

// What one MAC search works on: the range and the MAC text sought.
struct MacSearchTexts {
    Text startText;
    Text endText;
    MacText macText;
};

class CNodescoutDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_NODESCOUT_DIALOG;

    // Finds the MAC text and computer name of one address (network byte
    // order); true exactly when the MAC text was filled. ProbeHost by default.
    using ProbeFunction = std::function<bool(std::uint32_t address, MacText&, Text&)>;
    // Sends the Wake-on-LAN packets for a row's MAC text and address text:
    // a WakeOnLanResult. SendWakeOnLanToLanOf by default.
    using WakeOnLanFunction = std::function<int(const char* mac, const char* address)>;

    explicit CNodescoutDlg(CWnd* pParent = nullptr);
    ~CNodescoutDlg() override;

    // ------------------------------------------------ the shared fields
    // Safe from any thread. Texts are cut to their buffers like every copy.

    Text GetIP1() const;
    Text GetIP2() const;
    void SetIP1(std::string_view text);
    void SetIP2(std::string_view text);
    TypedMacText GetMac() const;
    void SetMac(std::string_view text);
    int GetInterval() const;
    void SetInterval(int nSeconds);

    int GetRangeCount() const;
    // Entry nIndex of the range table; empty texts outside 0 to 99.
    IpRange GetRange(int nIndex) const;
    // The whole table and its count as one consistent copy; returns the count.
    int GetRanges(RangeTable& ranges) const;
    // Replaces the first nCount entries and the count (held within 0 to 100).
    void SetRanges(const RangeTable& ranges, int nCount);

    // ------------------------------------------------ the result list

    // See CResultList (ui/ResultList.h); safe from any thread.
    void AddOrUpdateRow(const char* ipText, const char* macText, const char* computerName);
    static int CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    // The probe every command uses; safe from any thread.
    bool ProbeAddress(std::uint32_t address, MacText& macText, Text& computerName);

    // ------------------------------------------------ workers

    // The walks (probe/AddressWalk.h) on the calling thread, each 1:
    // "Retr All" over every range of the table, the status text showing each
    // address before its probe;
    int ScanAllRanges();
    // one auto-scan pass over the range of the two address fields;
    int ScanRange();
    // "MAC => IP" over the range of the address fields, on copies of the
    // two addresses and the MAC text taken now, ending in a message box with
    // the outcome (none when its worker was stopped);
    int SearchMac();
    // the same on the texts given.
    int SearchMac(const MacSearchTexts& texts);

    // Stops the auto-scan worker (if one runs) and starts threadProc as the
    // new one. False when no thread could be started.
    bool StartAutoScanWorker(std::function<void()> threadProc);
    // Stops the auto-scan worker if one runs and waits until it has ended.
    // UI thread.
    void StopAutoScan();

    // ------------------------------------------------ settings and saved list

    // The settings file and the saved list into the fields and the list.
    void LoadState();
    // The fields, the list and the range table back into the two files.
    void SaveState();

    // ------------------------------------------------ export

    // The list, in its current order, to NetInfo.csv (commas) or NetInfo.txt
    // (tabs) in the program's file folder; then that folder is opened in the
    // desktop's file browser. A file that could not be written is reported.
    void ExportCsv();
    void ExportText();

    // Stops the workers and saves the state before the window goes.
    BOOL DestroyWindow() override;

    // ------------------------------------------------ test seams
    // Set before DoModal; workers only read them.

    void SetProbeFunction(ProbeFunction probe) { m_fnProbe = std::move(probe); }
    void SetWakeOnLanFunction(WakeOnLanFunction send) { m_fnWakeOnLan = std::move(send); }

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnCancel() override;
    const MessageMap* GetMessageMap() const override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    // Before the system menu shows: "Stop Scanning" is enabled exactly while
    // a worker of the window runs.
    LRESULT OnInitMenuPopup(WPARAM wParam, LPARAM lParam);
    // "Stop Scanning": stops every walk ("Retr All", "MAC => IP", the
    // auto-scan, whose toggle comes unchecked) and returns once their workers
    // have ended, nothing added after; the progress bar and the status text
    // stay as they are.
    void OnStopScanning();
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnRetrAll();
    void OnIpToMac();
    void OnMacToIp();
    void OnClear();
    void OnWakeOnLan();
    void OnExport();
    void OnListDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    void OnAutoScan();
    void OnListColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    // The list's LVN_GETINFOTIP: the row's maker and host name (ui/HostTips.h),
    // or nothing, which leaves the list its own tip. Defined in HostTips.cpp.
    void OnListGetInfoTip(NMHDR* pNMHDR, LRESULT* pResult);

private:
    // It walks with this window's progress bar.
    friend DWORD AutoScanThreadProc(CNodescoutDlg* pDlg);

    // Guards the fields from m_szIP1 to m_szMac: workers read them while the
    // UI thread may write them.
    mutable std::mutex m_fieldsMutex;
    Text m_szIP1;
    Text m_szIP2;
    RangeTable m_Ranges;
    int m_nRangeCount = 0;
    int m_nInterval = kDefaultInterval;
    TypedMacText m_szMac;

    // UI thread only.
    std::shared_ptr<CWorkerThread> m_hAutoScanThread;
    CProgressCtrl m_Progress;
    CListCtrl m_ListCtrl;
    CResultList m_ResultList{m_ListCtrl}; // the list's rules and its MAC index
    CHyperLink m_Link;
    HICON m_hIcon = nullptr;
    std::unique_ptr<CHostTips> m_pHostTips; // made with the first tip asked for

    ProbeFunction m_fnProbe;
    WakeOnLanFunction m_fnWakeOnLan;

    // Starts a worker that the window stops and joins before it goes.
    // Empty when no thread could be started.
    std::shared_ptr<CWorkerThread> StartWorker(std::function<void()> threadProc);
    void AppendStopScanningToSystemMenu();
    void AppendAboutToSystemMenu();
    std::vector<RowTexts> RowsOfList() const;
    void ExportList(const char* fileName, char separator);
};

// The workers' routines: each runs one walk on the main window it is given.
// ScanAllRanges; returns 1.
DWORD ScanAllThreadProc(CNodescoutDlg* pDlg);
// ScanRange, then the pause of the interval (read anew each time), again
// and again until the worker is stopped; returns 0.
DWORD AutoScanThreadProc(CNodescoutDlg* pDlg);
// SearchMac on the texts confirmed in the dialog; returns 1. "MAC => IP"
// copies them on the UI thread as it starts the worker: read by the worker,
// they could already hold what a later confirmation (another search, the
// auto-scan options) wrote into the fields.
DWORD MacSearchThreadProc(CNodescoutDlg* pDlg, const MacSearchTexts& texts);

} // namespace nodescout
