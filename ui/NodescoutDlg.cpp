#include "ui/NodescoutDlg.h"

#include "platform/net/Inet.h"
#include "platform/text/NumberText.h"
#include "probe/MacAddressText.h"
#include "probe/ProbeHost.h"
#include "probe/WakeOnLan.h"
#include "ui/AboutDlg.h"
#include "ui/AutoScanDlg.h"
#include "ui/ExportFormatDlg.h"
#include "ui/FindMacDlg.h"
#include "ui/InfoDlg.h"
#include "ui/IpInputDlg.h"
#include "ui/RangeListDlg.h"
#include "ui/ResultList.h"
#include "ui/WalkInputCheck.h"

#include <algorithm>
#include <string>

namespace nodescout {

namespace {

constexpr UINT kQuestion = MB_YESNO | MB_ICONINFORMATION;

std::string QuotedList(const std::vector<std::string>& texts) {
    std::string list;
    for (const std::string& text : texts) {
        list += list.empty() ? "\"" : ", \"";
        list += text + "\"";
    }
    return list;
}

// Names every MAC text whose packet did not go out, and why.
std::string WakeOnLanFailureText(const std::vector<std::string>& refused,
                                 const std::vector<std::string>& notSent) {
    std::string text = "Wake On Lan not accomplished for every selected row.";
    if (!refused.empty()) {
        text += "\nNo MAC address (nothing sent): " + QuotedList(refused);
    }
    if (!notSent.empty()) {
        text += "\nCould not be sent: " + QuotedList(notSent);
    }
    return text;
}

// The dotted form of what the address parser reads from text: the address
// fields of the MAC search and auto-scan dialogs open with it. Text that it
// cannot read shows as it is, not as the all-ones value the parser gives
// for it: a typo must not come back as the broadcast address.
std::string ParsedAddressText(const Text& text) {
    const in_addr_t address = inet_addr(text.c_str());
    return address == INADDR_NONE ? std::string(text.View()) : AddressText(address);
}

} // namespace

CNodescoutDlg::CNodescoutDlg(CWnd* pParent)
    : CDialog(IDD, pParent), m_hIcon(AfxLoadIcon(IDR_MAINFRAME)), m_fnProbe(ProbeHost),
      m_fnWakeOnLan(SendWakeOnLanToLanOf) {}

CNodescoutDlg::~CNodescoutDlg() {
    // DoModal has stopped every worker already; this only covers a window
    // that never ran. No worker may outlive the fields it reads.
    StopAutoScan();
    GetWorkers().StopAll();
}

// ============================================================ the shared fields

Text CNodescoutDlg::GetIP1() const {
    std::lock_guard lock(m_fieldsMutex);
    return m_szIP1;
}

Text CNodescoutDlg::GetIP2() const {
    std::lock_guard lock(m_fieldsMutex);
    return m_szIP2;
}

void CNodescoutDlg::SetIP1(std::string_view text) {
    std::lock_guard lock(m_fieldsMutex);
    m_szIP1 = text;
}

void CNodescoutDlg::SetIP2(std::string_view text) {
    std::lock_guard lock(m_fieldsMutex);
    m_szIP2 = text;
}

TypedMacText CNodescoutDlg::GetMac() const {
    std::lock_guard lock(m_fieldsMutex);
    return m_szMac;
}

void CNodescoutDlg::SetMac(std::string_view text) {
    std::lock_guard lock(m_fieldsMutex);
    m_szMac = text;
}

int CNodescoutDlg::GetInterval() const {
    std::lock_guard lock(m_fieldsMutex);
    return m_nInterval;
}

void CNodescoutDlg::SetInterval(int nSeconds) {
    std::lock_guard lock(m_fieldsMutex);
    m_nInterval = nSeconds;
}

int CNodescoutDlg::GetRangeCount() const {
    std::lock_guard lock(m_fieldsMutex);
    return m_nRangeCount;
}

IpRange CNodescoutDlg::GetRange(int nIndex) const {
    if (nIndex < 0 || nIndex >= kMaxRanges) {
        return {};
    }
    std::lock_guard lock(m_fieldsMutex);
    return m_Ranges[static_cast<std::size_t>(nIndex)];
}

int CNodescoutDlg::GetRanges(RangeTable& ranges) const {
    std::lock_guard lock(m_fieldsMutex);
    ranges = m_Ranges;
    return m_nRangeCount;
}

void CNodescoutDlg::SetRanges(const RangeTable& ranges, int nCount) {
    nCount = std::clamp(nCount, 0, kMaxRanges);
    std::lock_guard lock(m_fieldsMutex);
    std::copy_n(ranges.begin(), nCount, m_Ranges.begin());
    m_nRangeCount = nCount;
}

// ============================================================ the window

void CNodescoutDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_PROGRESS, m_Progress);
    DDX_Control(pDX, IDC_LIST, m_ListCtrl);
    DDX_Control(pDX, IDC_LINK, m_Link);
}

const MessageMap* CNodescoutDlg::GetMessageMap() const {
    static const MessageMap map{
        OnWmSysCommand(&CNodescoutDlg::OnSysCommand),
        OnMessage(WM_INITMENUPOPUP, &CNodescoutDlg::OnInitMenuPopup),
        OnWmPaint(&CNodescoutDlg::OnPaint),
        OnWmQueryDragIcon(&CNodescoutDlg::OnQueryDragIcon),
        OnBnClicked(IDC_RETR_ALL, &CNodescoutDlg::OnRetrAll),
        OnBnClicked(IDC_IP_TO_MAC, &CNodescoutDlg::OnIpToMac),
        OnBnClicked(IDC_MAC_TO_IP, &CNodescoutDlg::OnMacToIp),
        OnBnClicked(IDC_CLEAR, &CNodescoutDlg::OnClear),
        OnBnClicked(IDC_WAKE_ON_LAN, &CNodescoutDlg::OnWakeOnLan),
        OnBnClicked(IDC_EXPORT, &CNodescoutDlg::OnExport),
        OnNotify(NM_DBLCLK, IDC_LIST, &CNodescoutDlg::OnListDblClk),
        OnBnClicked(IDC_AUTO_SCAN, &CNodescoutDlg::OnAutoScan),
        OnNotify(LVN_COLUMNCLICK, IDC_LIST, &CNodescoutDlg::OnListColumnClick),
        OnNotify(LVN_GETINFOTIP, IDC_LIST, &CNodescoutDlg::OnListGetInfoTip),
    };
    return &map;
}

BOOL CNodescoutDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AppendStopScanningToSystemMenu();
    AppendAboutToSystemMenu();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    m_ListCtrl.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_ResultList.InsertColumns();
    LoadState();
    return TRUE; // the focus goes to the first tab stop, the list
}

void CNodescoutDlg::AppendAboutToSystemMenu() {
    CMenu* pSysMenu = GetSystemMenu(FALSE);
    if (!pSysMenu) {
        return;
    }
    std::string strAboutMenu;
    AfxLoadString(IDS_ABOUTBOX, strAboutMenu);
    if (!strAboutMenu.empty()) {
        pSysMenu->AppendMenu(MF_SEPARATOR);
        pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu.c_str());
    }
}

void CNodescoutDlg::OnSysCommand(UINT nID, LPARAM lParam) {
    if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
        CAboutDlg dlgAbout(this);
        dlgAbout.DoModal();
        return;
    }
    if ((nID & 0xFFF0) == IDM_STOPSCANNING) {
        OnStopScanning();
        return;
    }
    // Close, Alt+F4 and the close box end in OnCancel this way.
    CDialog::OnSysCommand(nID, lParam);
}

// Draws the icon into the minimised window. Qt never paints a minimised
// window (the desktop shows the window icon set in OnInitDialog instead), so
// on Linux only the other branch runs; the drawing is kept to these lines.
void CNodescoutDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    dc.DrawIcon((rect.Width() - cxIcon + 1) / 2, (rect.Height() - cyIcon + 1) / 2, m_hIcon);
}

// Asked for while a minimised window is dragged; Linux desktops never ask.
HCURSOR CNodescoutDlg::OnQueryDragIcon() {
    return reinterpret_cast<HCURSOR>(m_hIcon);
}

// ============================================================ the commands

// The range dialog edits copies of the table and the two address fields;
// only OK takes them back and starts a scan of the table. A dialog that
// could not be shown (-1) confirmed nothing either.
void CNodescoutDlg::OnRetrAll() {
    CRangeListDlg dlg(this);
    dlg.m_strIP1 = GetIP1().View();
    dlg.m_strIP2 = GetIP2().View();
    dlg.m_nRangeCount = GetRanges(dlg.m_Ranges);
    if (dlg.DoModal() != IDOK) {
        return;
    }
    SetIP1(dlg.m_strIP1);
    SetIP2(dlg.m_strIP2);
    SetRanges(dlg.m_Ranges, dlg.m_nRangeCount);
    if (MayWalkRanges("Retr All", RangesOfTable(dlg.m_Ranges, GetRangeCount()),
                      WalkKind::EndExcluded)) {
        StartWorker([this] { ScanAllThreadProc(this); });
    }
}

// The texts are kept as typed (they are offered again next time and saved);
// the search itself works on its own copies of them, taken here.
void CNodescoutDlg::OnMacToIp() {
    CFindMacDlg dlg(this);
    dlg.m_strIP1 = ParsedAddressText(GetIP1());
    dlg.m_strIP2 = ParsedAddressText(GetIP2());
    dlg.m_strMac = GetMac().View();
    if (dlg.DoModal() != IDOK) {
        return;
    }
    SetIP1(dlg.m_strIP1);
    SetIP2(dlg.m_strIP2);
    SetMac(dlg.m_strMac);
    const std::optional<MacText> mac = SearchedMacOrTell(GetMac().View());
    if (!mac || !MayWalkRange("MAC => IP", GetIP1(), GetIP2(), WalkKind::EndIncluded)) {
        return;
    }
    const MacSearchTexts texts{GetIP1(), GetIP2(), *mac};
    StartWorker([this, texts] { MacSearchThreadProc(this, texts); });
}

void CNodescoutDlg::OnExport() {
    CExportFormatDlg dlg(this); // "Text File" is chosen when it opens
    if (dlg.DoModal() != IDOK) {
        return;
    }
    if (dlg.m_nFormat != 0) {
        ExportCsv();
    } else {
        ExportText();
    }
}

// The toggle has changed its checked state already. Unchecked: the worker
// stops before this returns. Checked: the options, then a new worker; a
// toggle left checked always has a worker behind it.
void CNodescoutDlg::OnAutoScan() {
    if (IsDlgButtonChecked(IDC_AUTO_SCAN) != BST_CHECKED) {
        StopAutoScan();
        return;
    }
    CAutoScanDlg dlg(this);
    dlg.m_strIP1 = ParsedAddressText(GetIP1());
    dlg.m_strIP2 = ParsedAddressText(GetIP2());
    dlg.m_strInterval = std::to_string(GetInterval());
    if (dlg.DoModal() == IDOK) {
        SetIP1(dlg.m_strIP1);
        SetIP2(dlg.m_strIP2);
        // Text without a leading number gives 0: passes back to back.
        SetInterval(ReadNumberText(dlg.m_strInterval.c_str()));
        // The worker is stopped before this (StartAutoScanWorker stops any).
        if (MayWalkRange("Auto Scan", GetIP1(), GetIP2(), WalkKind::EndExcluded) &&
            StartAutoScanWorker([this] { AutoScanThreadProc(this); })) {
            return;
        }
    }
    CheckDlgButton(IDC_AUTO_SCAN, BST_UNCHECKED);
}

void CNodescoutDlg::OnIpToMac() {
    CIpInputDlg dlg(this);
    dlg.m_strLabel = "IP Address";
    // Only OK goes on: a dialog that could not be shown (-1) typed nothing,
    // and probing the empty text would probe the broadcast address.
    if (dlg.DoModal() != IDOK) {
        return;
    }
    MacText macText;
    Text computerName;
    ProbeAddress(inet_addr(dlg.m_strIP.c_str()), macText, computerName);
    if (!macText.IsEmpty()) {
        // The address as typed, not normalised.
        AddOrUpdateRow(dlg.m_strIP.c_str(), macText.c_str(), computerName.c_str());
    }
}

void CNodescoutDlg::OnClear() {
    if (AfxMessageBox("Are you sure to clear the selected items?", kQuestion) != IDYES) {
        return;
    }
    // The remaining rows keep their numbers.
    for (int nItem = m_ListCtrl.GetNextItem(-1, LVNI_SELECTED); nItem >= 0;
         nItem = m_ListCtrl.GetNextItem(-1, LVNI_SELECTED)) {
        if (!m_ListCtrl.DeleteItem(nItem)) {
            break;
        }
    }
    m_Progress.SetPos(0);
}

void CNodescoutDlg::OnWakeOnLan() {
    int nItem = m_ListCtrl.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0) {
        return;
    }
    std::vector<std::string> refused;
    std::vector<std::string> notSent;
    for (; nItem >= 0; nItem = m_ListCtrl.GetNextItem(nItem, LVNI_SELECTED)) {
        const std::string mac = m_ListCtrl.GetItemText(nItem, kMacColumn);
        const std::string address = m_ListCtrl.GetItemText(nItem, kAddressColumn);
        const int nResult = m_fnWakeOnLan(mac.c_str(), address.c_str());
        if (nResult == kWakeOnLanRefused) {
            refused.push_back(mac);
        } else if (nResult != kWakeOnLanSent) {
            notSent.push_back(mac);
        }
    }
    if (refused.empty() && notSent.empty()) {
        AfxMessageBox("Wake On Lan Accomplished.", MB_OK | MB_ICONINFORMATION);
    } else {
        AfxMessageBox(WakeOnLanFailureText(refused, notSent), MB_OK | MB_ICONEXCLAMATION);
    }
}

// The row editor: the first selected row (in index order, whichever row was
// double-clicked), written back as typed. The row keeps its sequence number.
void CNodescoutDlg::OnListDblClk(NMHDR*, LRESULT* pResult) {
    *pResult = 0;
    const int nItem = m_ListCtrl.GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0) {
        return;
    }
    CInfoDlg dlg(this);
    dlg.m_strIndex = m_ListCtrl.GetItemText(nItem, kNumberColumn);
    dlg.m_strIP = m_ListCtrl.GetItemText(nItem, kAddressColumn);
    dlg.m_strMac = m_ListCtrl.GetItemText(nItem, kMacColumn);
    dlg.m_strName = m_ListCtrl.GetItemText(nItem, kNameColumn);
    if (dlg.DoModal() != IDOK) {
        return;
    }
    // Workers only append and update rows while the dialog is open, so the
    // row is still at nItem.
    m_ListCtrl.SetItemText(nItem, kNumberColumn, dlg.m_strIndex);
    m_ListCtrl.SetItemText(nItem, kAddressColumn, dlg.m_strIP);
    m_ListCtrl.SetItemText(nItem, kMacColumn, dlg.m_strMac);
    m_ListCtrl.SetItemText(nItem, kNameColumn, dlg.m_strName);
}

void CNodescoutDlg::OnListColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    m_ResultList.OnListColumnClick(pNMHDR, pResult);
}

void CNodescoutDlg::AddOrUpdateRow(const char* ipText, const char* macText,
                                   const char* computerName) {
    m_ResultList.AddOrUpdateRow(ipText, macText, computerName);
}

int CNodescoutDlg::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
    return CResultList::CompareRows(lParam1, lParam2, lParamSort);
}

bool CNodescoutDlg::ProbeAddress(std::uint32_t address, MacText& macText, Text& computerName) {
    return m_fnProbe(address, macText, computerName);
}

// ============================================================ the way out

// Escape, the close box, Close in the system menu and Alt+F4 ask first.
// The Enter key ends the run with OK through the framework, without asking.
void CNodescoutDlg::OnCancel() {
    if (AfxMessageBox("Are you sure to exit?", kQuestion) != IDYES) {
        return;
    }
    StopAutoScan();
    CDialog::OnCancel();
}

BOOL CNodescoutDlg::DestroyWindow() {
    if (!GetSafeHwnd()) {
        return FALSE; // gone already: saving now would save an empty list
    }
    // Every worker ends first, on every way out (the Enter key too): they
    // read this object, and what they found until now is saved with the rest.
    StopAutoScan();
    GetWorkers().StopAll();
    SaveState();
    return CDialog::DestroyWindow();
}

} // namespace nodescout
