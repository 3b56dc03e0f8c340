#include "ui/AutoScanDlg.h"

#include "ui/EditLimits.h"

namespace nodescout {

CAutoScanDlg::CAutoScanDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CAutoScanDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_IP1, m_strIP1);
    DDX_Text(pDX, IDC_IP2, m_strIP2);
    DDX_Text(pDX, IDC_INTERVAL, m_strInterval);
}

BOOL CAutoScanDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LimitEditText(*this, IDC_IP1, kAddressTextLimit);
    LimitEditText(*this, IDC_IP2, kAddressTextLimit);
    LimitEditText(*this, IDC_INTERVAL, kIntervalTextLimit);
    return TRUE;
}

void CAutoScanDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

} // namespace nodescout
