// Data exchange: UpdateData and the DDX_ functions that move values between
// a dialog's members and its controls.

#include "framework/Dialog.h"

#include "framework/detail/Window.h"

#include <stdexcept>

namespace nodescout {

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    RequireUiThread();
    if (!m_pRun) {
        return FALSE;
    }
    CDataExchange exchange{bSaveAndValidate, this};
    DoDataExchange(&exchange);
    return TRUE;
}

HWND CDataExchange::PrepareCtrl(int nIDC) const {
    CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    if (!control) {
        throw std::logic_error("data exchange with a control the dialog does not have");
    }
    return control->GetSafeHwnd();
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    CWnd* control = detail::ObjectOf(pDX->PrepareCtrl(nIDC));
    if (pDX->m_bSaveAndValidate) {
        control->GetWindowText(value);
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    const CDialog::Run& run = *first->dialog->GetRun();
    if (pDX->m_bSaveAndValidate) {
        value = -1;
    }
    int index = 0;
    const std::size_t last = detail::GroupOf(run, first->order).second;
    for (std::size_t i = first->order; i <= last; ++i) {
        HWND control = run.controls[i].get();
        if (!detail::IsRadioButton(control)) {
            continue;
        }
        auto* button = static_cast<CButton*>(detail::ObjectOf(control));
        if (!pDX->m_bSaveAndValidate) {
            button->SetCheck(index == value ? BST_CHECKED : BST_UNCHECKED);
        } else if (value == -1 && button->GetCheck() == BST_CHECKED) {
            value = index;
        }
        ++index;
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd()) {
        return;
    }
    pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassDlgItem(nIDC, pDX->m_pDlgWnd)) {
        throw std::logic_error("a control bound twice");
    }
}

} // namespace nodescout
