#include "ui/RangeListDlg.h"

#include "framework/WinApp.h"
#include "ui/EditLimits.h"

#include <algorithm>

namespace nodescout {

namespace {

constexpr int kColumnWidth = 100; // pixels, both columns

// Shown when "Add" would make the list longer than the table it goes back into.
std::string TableFullMessage() {
    return "The range list is full: it holds at most " + std::to_string(kMaxRanges) +
           " ranges. Remove one before adding another.";
}

} // namespace

CRangeListDlg::CRangeListDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

const MessageMap* CRangeListDlg::GetMessageMap() const {
    static const MessageMap map{
        OnBnClicked(IDC_ADD, &CRangeListDlg::OnAdd),
        OnBnClicked(IDC_EDIT, &CRangeListDlg::OnEdit),
        OnBnClicked(IDC_REMOVE, &CRangeListDlg::OnRemove),
        OnNotify(LVN_ITEMCHANGED, IDC_RANGE_LIST, &CRangeListDlg::OnItemChangedRangeList),
    };
    return &map;
}

void CRangeListDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_RANGE_LIST, m_RangeList);
    DDX_Text(pDX, IDC_IP1, m_strIP1);
    DDX_Text(pDX, IDC_IP2, m_strIP2);
}

BOOL CRangeListDlg::OnInitDialog() {
    m_strOpenedIP1 = m_strIP1;
    m_strOpenedIP2 = m_strIP2;
    CDialog::OnInitDialog();
    LimitEditText(*this, IDC_IP1, kAddressTextLimit);
    LimitEditText(*this, IDC_IP2, kAddressTextLimit);

    m_RangeList.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
    m_RangeList.InsertColumn(0, "IP1", LVCFMT_LEFT, kColumnWidth);
    m_RangeList.InsertColumn(1, "IP2", LVCFMT_LEFT, kColumnWidth);
    // A count outside the table (an opener's mistake) shows what the table holds.
    const int nRows = std::clamp(m_nRangeCount, 0, kMaxRanges);
    for (int i = 0; i < nRows; ++i) {
        const IpRange& range = m_Ranges[static_cast<std::size_t>(i)];
        const int nRow = m_RangeList.InsertItem(i, range.start.c_str());
        m_RangeList.SetItemText(nRow, 1, range.end.c_str());
    }
    return TRUE;
}

void CRangeListDlg::OnAdd() {
    UpdateData(TRUE);
    const int nRows = m_RangeList.GetItemCount();
    if (nRows >= kMaxRanges) {
        AfxMessageBox(TableFullMessage(), MB_OK | MB_ICONINFORMATION);
        return;
    }
    // Anything is added as typed: the scan finds out what is not an address.
    const int nRow = m_RangeList.InsertItem(nRows, m_strIP1.c_str());
    m_RangeList.SetItemText(nRow, 1, m_strIP2);
}

void CRangeListDlg::OnEdit() {
    UpdateData(TRUE);
    const int nRow = FirstSelectedRow();
    if (nRow < 0) {
        return;
    }
    // Writing column 0 is an item change, whose handler reloads the members
    // (and the fields) from this row while column 1 still holds the old end
    // address; the copies put back what was typed.
    const std::string strIP1 = m_strIP1;
    const std::string strIP2 = m_strIP2;
    m_RangeList.SetItemText(nRow, 0, strIP1);
    m_RangeList.SetItemText(nRow, 1, strIP2);
    m_strIP1 = strIP1;
    m_strIP2 = strIP2;
    UpdateData(FALSE);
}

void CRangeListDlg::OnRemove() {
    UpdateData(TRUE);
    const int nRow = FirstSelectedRow();
    if (nRow >= 0) {
        m_RangeList.DeleteItem(nRow);
    }
}

// Any change while a row is selected (a new selection, the focus, a new
// first column) shows the first selected row in the fields.
void CRangeListDlg::OnItemChangedRangeList(NMHDR*, LRESULT* pResult) {
    UpdateData(TRUE);
    const int nRow = FirstSelectedRow();
    if (nRow < 0) {
        return;
    }
    m_strIP1 = m_RangeList.GetItemText(nRow, 0);
    m_strIP2 = m_RangeList.GetItemText(nRow, 1);
    UpdateData(FALSE);
    *pResult = 0;
}

void CRangeListDlg::OnOK() {
    UpdateData(TRUE);
    // "Add" keeps the list within the table; the bound here makes sure of it.
    m_nRangeCount = std::min(m_RangeList.GetItemCount(), kMaxRanges);
    for (int i = 0; i < m_nRangeCount; ++i) {
        IpRange& range = m_Ranges[static_cast<std::size_t>(i)];
        // A text longer than the field is cut to 1023 characters here.
        range.start = m_RangeList.GetItemText(i, 0);
        range.end = m_RangeList.GetItemText(i, 1);
    }
    CDialog::OnOK();
}

void CRangeListDlg::OnCancel() {
    // The handlers read the fields into the members; Cancel changes nothing.
    m_strIP1 = m_strOpenedIP1;
    m_strIP2 = m_strOpenedIP2;
    CDialog::OnCancel();
}

int CRangeListDlg::FirstSelectedRow() const {
    return m_RangeList.GetNextItem(-1, LVNI_SELECTED);
}

} // namespace nodescout
