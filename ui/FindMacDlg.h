#pragma once

// The input of "MAC => IP": the range to walk and the MAC address sought.

#include "framework/Dialog.h"
#include "ui/resource.h"

#include <string>

namespace nodescout {

class CFindMacDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_FINDMAC;

    explicit CFindMacDlg(CWnd* pParent = nullptr);

    std::string m_strIP1; // first address of the range (edit 1012)
    std::string m_strIP2; // last address of the range (edit 1010)
    std::string m_strMac; // the MAC address sought (edit 1013)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};

} // namespace nodescout
