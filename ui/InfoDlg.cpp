#include "ui/InfoDlg.h"

#include "ui/EditLimits.h"

namespace nodescout {

CInfoDlg::CInfoDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CInfoDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Text(pDX, IDC_INFO_IP, m_strIP);
    DDX_Text(pDX, IDC_INFO_MAC, m_strMac);
    DDX_Text(pDX, IDC_INFO_NAME, m_strName);
    DDX_Text(pDX, IDC_INFO_INDEX, m_strIndex);
}

BOOL CInfoDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    for (const int nID : {IDC_INFO_IP, IDC_INFO_MAC, IDC_INFO_NAME, IDC_INFO_INDEX}) {
        LimitEditText(*this, nID, kRowTextLimit);
    }
    return TRUE;
}

void CInfoDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

} // namespace nodescout
