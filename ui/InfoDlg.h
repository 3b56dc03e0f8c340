#pragma once

// The row editor: the four texts of one result row, all editable.

#include "framework/Dialog.h"
#include "ui/resource.h"

#include <string>

namespace nodescout {

class CInfoDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_INFO;

    explicit CInfoDlg(CWnd* pParent = nullptr);

    std::string m_strIP;    // "IP Address" (edit 1022)
    std::string m_strMac;   // "MAC Address" (edit 1011)
    std::string m_strName;  // "Computer Name" (edit 1013)
    std::string m_strIndex; // the row's number text, "Index" (edit 1026)

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
};

} // namespace nodescout
