#include "ui/FindMacDlg.h"

#include "ui/EditLimits.h"

namespace nodescout {

CFindMacDlg::CFindMacDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CFindMacDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_IP1, m_strIP1);
    DDX_Text(pDX, IDC_IP2, m_strIP2);
    DDX_Text(pDX, IDC_MAC, m_strMac);
}

BOOL CFindMacDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LimitEditText(*this, IDC_IP1, kAddressTextLimit);
    LimitEditText(*this, IDC_IP2, kAddressTextLimit);
    LimitEditText(*this, IDC_MAC, kMacTextLimit);
    return TRUE;
}

void CFindMacDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

} // namespace nodescout
