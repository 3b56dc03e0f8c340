#include "ui/ExportFormatDlg.h"

namespace nodescout {

CExportFormatDlg::CExportFormatDlg(CWnd* pParent) : CDialog(IDD, pParent) {}

void CExportFormatDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    // The group that starts at "Text File" holds that button only, so the
    // value is 0 when it is checked and -1 when it is not.
    DDX_Radio(pDX, IDC_TEXT_FILE, m_nFormat);
}

void CExportFormatDlg::OnOK() {
    UpdateData(TRUE);
    CDialog::OnOK();
}

// "Excel File" stands before the group of "Text File" in the template, so
// the two buttons are in different groups and an automatic radio button
// would not clear the other. A click on either makes it the one choice.
const MessageMap* CExportFormatDlg::GetMessageMap() const {
    static const MessageMap map{
        OnBnClicked(IDC_EXCEL_FILE, &CExportFormatDlg::OnExcelFile),
        OnBnClicked(IDC_TEXT_FILE, &CExportFormatDlg::OnTextFile),
    };
    return &map;
}

void CExportFormatDlg::OnExcelFile() {
    CheckRadioButton(IDC_EXCEL_FILE, IDC_TEXT_FILE, IDC_EXCEL_FILE);
}

void CExportFormatDlg::OnTextFile() {
    CheckRadioButton(IDC_EXCEL_FILE, IDC_TEXT_FILE, IDC_TEXT_FILE);
}

} // namespace nodescout
