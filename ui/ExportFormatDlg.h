#pragma once

// The choice of export file: "Text File" (tab-separated) or "Excel File"
// (comma-separated).

#include "framework/Dialog.h"
#include "ui/resource.h"

namespace nodescout {

class CExportFormatDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_EXPORT_FORMAT;

    explicit CExportFormatDlg(CWnd* pParent = nullptr);

    // 0 while "Text File" is chosen, -1 when it is not ("Excel File").
    int m_nFormat = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;
    const MessageMap* GetMessageMap() const override;

private:
    void OnExcelFile();
    void OnTextFile();
};

} // namespace nodescout
