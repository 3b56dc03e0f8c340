// CWnd: binding objects to windows, texts and state, messages, the child
// controls of a dialog and their keyboard order.

#include "framework/Wnd.h"

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/detail/Window.h"

#include <QApplication>

#include <stdexcept>

namespace nodescout {

namespace {

detail::WindowLink* LinkOf(HWND hWnd) {
    return dynamic_cast<detail::WindowLink*>(detail::WidgetOf(hWnd));
}

bool IsEnabledAndShown(HWND hWnd) {
    QWidget* widget = detail::WidgetOf(hWnd);
    return widget && !widget->isHidden() && widget->isEnabled();
}

// Steps round the size controls from template position first on, starting
// after position first + index, and returns the first one that is enabled,
// shown and (with tabStopsOnly) a tab stop; null when a whole round finds none.
HWND NextInCycle(const CDialog::Run& run, std::size_t first, std::size_t size, std::size_t index,
                 bool previous, bool tabStopsOnly) {
    for (std::size_t step = 0; step < size; ++step) {
        index = (index + (previous ? size - 1 : 1)) % size;
        HWND candidate = run.controls[first + index].get();
        if ((!tabStopsOnly || (candidate->style & WS_TABSTOP)) && IsEnabledAndShown(candidate)) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

// ============================================================ the window

CWnd::CWnd() = default;

CWnd::~CWnd() {
    if (GetSafeHwnd()) {
        Detach();
    }
}

LRESULT AfxCallWindowProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return pWnd ? pWnd->WindowProc(message, wParam, lParam) : 0;
}

BOOL CWnd::Attach(HWND hWnd) {
    RequireUiThread();
    if (!hWnd || GetSafeHwnd()) {
        return FALSE;
    }
    if (hWnd->attached && hWnd->attached != hWnd->ownWrapper.get()) {
        return FALSE;
    }
    if (hWnd->attached) {
        hWnd->attached->m_hWnd.store(nullptr); // the framework's wrapper steps aside
    }
    hWnd->attached = this;
    m_hWnd.store(hWnd, std::memory_order_release);
    return TRUE;
}

HWND CWnd::Detach() {
    RequireUiThread();
    HWND hWnd = m_hWnd.exchange(nullptr);
    if (hWnd && hWnd->attached == this) {
        hWnd->attached = nullptr;
    }
    return hWnd;
}

BOOL CWnd::SubclassDlgItem(int nID, CWnd* pParent) {
    RequireUiThread();
    const CDialog::Run* run = pParent ? detail::RunOf(pParent) : nullptr;
    HWND control = run ? detail::FindControl(*run, nID) : nullptr;
    if (!control) {
        return FALSE;
    }
    if (!detail::FitsControl(*this, control)) {
        throw std::logic_error("a control object bound to a control of another kind");
    }
    if (!Attach(control)) {
        return FALSE;
    }
    PreSubclassWindow();
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    return Detach() ? TRUE : FALSE;
}

CWnd* CWnd::GetParent() const {
    return detail::OnUi<CWnd*>(
        this, nullptr, [](HWND hWnd) -> CWnd* { return hWnd->isDialog ? nullptr : hWnd->dialog; });
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) {
        const DWORD old = hWnd->style;
        hWnd->style = (old & ~dwRemove) | dwAdd;
        const auto showStyle = detail::KindOf(hWnd->kind).showStyle;
        if (!hWnd->isDialog && showStyle) {
            showStyle(hWnd);
        }
        return old != hWnd->style ? TRUE : FALSE;
    });
}

// ============================================================ text and state

void CWnd::SetWindowText(const char* text) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        if (detail::WindowLink* link = LinkOf(hWnd)) {
            link->SetText(detail::ToQt(text ? text : ""));
        }
        return 0;
    });
}

void CWnd::GetWindowText(std::string& text) const {
    text = detail::OnUi(this, std::string(), [](HWND hWnd) {
        detail::WindowLink* link = LinkOf(hWnd);
        return link ? detail::FromQt(link->Text()) : std::string();
    });
}

int CWnd::GetWindowTextLength() const {
    std::string text;
    GetWindowText(text);
    return static_cast<int>(text.size());
}

BOOL CWnd::IsIconic() const {
    return detail::OnUi<BOOL>(this, FALSE, [](HWND hWnd) {
        return hWnd->widget->window()->isMinimized() ? TRUE : FALSE;
    });
}

void CWnd::Invalidate(BOOL) {
    detail::OnUi(this, 0, [](HWND hWnd) {
        hWnd->widget->update();
        return 0;
    });
}

void CWnd::UpdateWindow() {
    detail::OnUi(this, 0, [](HWND hWnd) {
        hWnd->widget->repaint();
        return 0;
    });
}

void CWnd::GetClientRect(CRect* pRect) const {
    *pRect = detail::OnUi(this, CRect{}, [](HWND hWnd) {
        const QRect inner = hWnd->widget->contentsRect();
        return CRect{0, 0, inner.width(), inner.height()};
    });
}

void CWnd::SetIcon(HICON hIcon, BOOL) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        hWnd->widget->setWindowIcon(detail::IconOf(hIcon));
        return 0;
    });
}

QWidget* CWnd::GetQtWidget() const {
    RequireUiThread();
    return detail::WidgetOf(GetSafeHwnd());
}

// ============================================================ messages

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallOnUiThread<LRESULT>(
        0, [&]() -> LRESULT { return GetSafeHwnd() ? WindowProc(message, wParam, lParam) : 0; });
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (const MessageMap* map = GetMessageMap()) {
        if (const MessageEntry* entry = map->Find(message, wParam, lParam)) {
            return entry->invoke(*this, wParam, lParam);
        }
    }
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SYSCOMMAND) {
        OnSysCommand(static_cast<UINT>(wParam), lParam);
    }
    return 0;
}

const MessageMap* CWnd::GetMessageMap() const {
    return nullptr;
}

void CWnd::OnSysCommand(UINT nID, LPARAM) {
    QWidget* widget = GetQtWidget();
    const UINT command = nID & 0xFFF0;
    if (widget && command == SC_CLOSE) {
        SendMessage(WM_CLOSE);
    } else if (widget && command == SC_MINIMIZE) {
        widget->showMinimized();
    }
}

void CWnd::OnPaint() {}

// ============================================================ child controls

CWnd* CWnd::GetDlgItem(int nID) const {
    RequireUiThread();
    const CDialog::Run* run = detail::RunOf(this);
    return run ? detail::ObjectOf(detail::FindControl(*run, nID)) : nullptr;
}

void CWnd::SetDlgItemText(int nID, const char* text) {
    const std::string copy = text ? text : "";
    CallOnUiThread([&] {
        if (CWnd* control = GetDlgItem(nID)) {
            control->SetWindowText(copy);
        }
    });
}

void CWnd::CheckDlgButton(int nID, UINT nCheck) {
    if (auto* button = dynamic_cast<CButton*>(GetDlgItem(nID))) {
        button->SetCheck(static_cast<int>(nCheck));
    }
}

UINT CWnd::IsDlgButtonChecked(int nID) const {
    auto* button = dynamic_cast<CButton*>(GetDlgItem(nID));
    return button ? static_cast<UINT>(button->GetCheck()) : 0;
}

void CWnd::CheckRadioButton(int nIDFirst, int nIDLast, int nIDCheck) {
    for (int id = nIDFirst; id <= nIDLast; ++id) {
        CheckDlgButton(id, id == nIDCheck ? BST_CHECKED : BST_UNCHECKED);
    }
}

// ============================================================ keyboard order

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    RequireUiThread();
    const CDialog::Run* run = detail::RunOf(this);
    if (!run || run->controls.empty()) {
        return nullptr;
    }
    const std::size_t count = run->controls.size();
    HWND start = pWndCtl ? pWndCtl->GetSafeHwnd() : nullptr;
    // Without a start, searching forward begins at the first control.
    const std::size_t index = start ? start->order : (bPrevious ? 0 : count - 1);
    return detail::ObjectOf(NextInCycle(*run, 0, count, index, bPrevious, true));
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
    RequireUiThread();
    const CDialog::Run* run = detail::RunOf(this);
    HWND start = pWndCtl ? pWndCtl->GetSafeHwnd() : nullptr;
    if (!run || !start || start->isDialog) {
        return nullptr;
    }
    const auto [first, last] = detail::GroupOf(*run, start->order);
    HWND next = NextInCycle(*run, first, last - first + 1, start->order - first, bPrevious, false);
    return detail::ObjectOf(next ? next : start);
}

// ============================================================ hooks

void CWnd::PreSubclassWindow() {}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CWnd::OnMouseMove(UINT, CPoint) {}
void CWnd::OnCaptureChanged(CWnd*) {}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return FALSE;
}

} // namespace nodescout
