#pragma once

// The single-address input of "IP => MAC": one label and one address field.

#include "framework/Dialog.h"
#include "ui/resource.h"

#include <string>

namespace nodescout {

class CIpInputDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_IPINPUT;

    explicit CIpInputDlg(CWnd* pParent = nullptr);

    std::string m_strIP;    // the address typed (edit 1008)
    std::string m_strLabel; // the label's text, replacing the template's (label 1009)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};

} // namespace nodescout
