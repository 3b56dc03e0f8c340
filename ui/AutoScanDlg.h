#pragma once

// The auto-scan options: the range walked again and again, and the pause in
// seconds between two passes.

#include "framework/Dialog.h"
#include "ui/resource.h"

#include <string>

namespace nodescout {

class CAutoScanDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_AUTOSCAN;

    explicit CAutoScanDlg(CWnd* pParent = nullptr);

    std::string m_strIP1;      // first address of the range (edit 1012)
    std::string m_strIP2;      // last address of the range (edit 1010)
    std::string m_strInterval; // the pause in seconds, decimal text (edit 1024)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};

} // namespace nodescout
