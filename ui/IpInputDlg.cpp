#include "ui/IpInputDlg.h"

#include "ui/EditLimits.h"

namespace nodescout {

CIpInputDlg::CIpInputDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CIpInputDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_IP, m_strIP);
    DDX_Text(pDX, IDC_IP_LABEL, m_strLabel);
}

BOOL CIpInputDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    LimitEditText(*this, IDC_IP, kAddressTextLimit);
    return TRUE;
}

void CIpInputDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

} // namespace nodescout
