#pragma once

// The About box, opened from the system menu.

#include "framework/Dialog.h"
#include "ui/resource.h"

namespace nodescout {

class CAboutDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_ABOUTBOX;

    explicit CAboutDlg(CWnd* pParent = nullptr) : CDialog(IDD, pParent) {}
};

} // namespace nodescout
