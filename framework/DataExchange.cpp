// Data exchange: UpdateData and the DDX_ functions that move values between
// a dialog's members and its controls.

#include "framework/Dialog.h"

#include "framework/WinApp.h"
#include "framework/detail/Window.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

namespace nodescout {

namespace {

struct DataExchangeFailure {};

} // namespace

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    RequireUiThread();
    if (!m_pRun) {
        return FALSE;
    }
    CDataExchange exchange(this, bSaveAndValidate);
    try {
        DoDataExchange(&exchange);
    } catch (const DataExchangeFailure&) {
        if (CWnd* control = GetDlgItem(exchange.m_idLastControl)) {
            GotoDlgCtrl(control);
        }
        return FALSE;
    }
    return TRUE;
}

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    if (!control) {
        throw std::logic_error("data exchange with a control the dialog does not have");
    }
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return control->GetSafeHwnd();
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail() {
    throw DataExchangeFailure{};
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    CWnd* control = detail::ObjectOf(pDX->PrepareEditCtrl(nIDC));
    if (pDX->m_bSaveAndValidate) {
        control->GetWindowText(value);
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* control = detail::ObjectOf(pDX->PrepareEditCtrl(nIDC));
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(std::to_string(value));
        return;
    }
    std::string text;
    control->GetWindowText(text);
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (end == begin || *end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        AfxMessageBox("Please enter an integer.", MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = static_cast<int>(parsed);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    const CDialog::Run* run = first->dialog ? first->dialog->GetRun() : nullptr;
    if (!run) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = -1;
    }
    int index = 0;
    for (std::size_t i = first->order; i < run->controls.size(); ++i) {
        HWND control = run->controls[i].get();
        if (i != first->order && (control->style & WS_GROUP)) {
            break;
        }
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
