// CWnd: binding objects to windows, texts and state, messages, the child
// controls of a dialog and their keyboard order; and the framework's window
// records: from widgets to windows to the objects that stand for them, and
// the notifications controls send their dialog.

#include "framework/Wnd.h"

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/detail/Window.h"
#include "platform/text/Windows1252.h"

#include <stdexcept>

namespace nodescout {

namespace {

// The run of the dialog that wnd stands for, or null (also for a control).
CDialog::Run* RunOf(const CWnd* wnd) {
    HWND hWnd = wnd->GetSafeHwnd();
    return hWnd && hWnd->isDialog && hWnd->dialog ? hWnd->dialog->GetRun() : nullptr;
}

detail::WindowLink* LinkOf(HWND hWnd) {
    return dynamic_cast<detail::WindowLink*>(detail::WidgetOf(hWnd));
}

// Steps round the size controls from template position first on, starting
// after position first + index, and returns the first one that is enabled,
// shown and (with tabStopsOnly) a tab stop; null when a whole round finds none.
HWND NextInCycle(const CDialog::Run& run, std::size_t first, std::size_t size, std::size_t index,
                 bool previous, bool tabStopsOnly) {
    for (std::size_t step = 0; step < size; ++step) {
        index = (index + (previous ? size - 1 : 1)) % size;
        HWND candidate = run.controls[first + index].get();
        const QWidget* widget = candidate->widget;
        const bool usable = widget && !widget->isHidden() && widget->isEnabled();
        if (usable && (!tabStopsOnly || (candidate->style & WS_TABSTOP))) {
            return candidate;
        }
    }
    return nullptr;
}

} // namespace

// ============================================================ window records

namespace detail {

QString ToQt(std::string_view text) {
    const std::string utf8 = Windows1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    return Utf8ToWindows1252(text.toStdString());
}

HWND HwndOfWidget(const QObject* object) {
    for (const QObject* current = object; current; current = current->parent()) {
        if (const auto* link = dynamic_cast<const WindowLink*>(current)) {
            return link->Hwnd();
        }
        if (current->isWidgetType() && static_cast<const QWidget*>(current)->isWindow()) {
            break;
        }
    }
    return nullptr;
}

CWnd* ObjectOf(HWND hWnd) {
    if (hWnd && !hWnd->attached) {
        if (!hWnd->ownWrapper) {
            hWnd->ownWrapper = KindOf(hWnd->kind).makeWrapper();
        }
        hWnd->ownWrapper->Attach(hWnd);
    }
    return hWnd ? hWnd->attached : nullptr;
}

HWND FindControl(const CDialog::Run& run, int id) {
    for (const auto& control : run.controls) {
        if (control->id == id) {
            return control.get();
        }
    }
    return nullptr;
}

std::pair<std::size_t, std::size_t> GroupOf(const CDialog::Run& run, std::size_t order) {
    const auto& controls = run.controls;
    std::size_t first = order;
    while (first > 0 && !(controls[first]->style & WS_GROUP)) {
        --first;
    }
    std::size_t last = order;
    while (last + 1 < controls.size() && !(controls[last + 1]->style & WS_GROUP)) {
        ++last;
    }
    return {first, last};
}

void NotifyCommand(HWND control, UINT code) {
    if (control && control->dialog) {
        AfxCallWindowProc(control->dialog, WM_COMMAND,
                          MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                          reinterpret_cast<LPARAM>(control));
    }
}

LRESULT NotifyParent(HWND control, NMHDR& header) {
    if (!control || !control->dialog) {
        return 0;
    }
    header.idFrom = static_cast<UINT_PTR>(control->id);
    return AfxCallWindowProc(control->dialog, WM_NOTIFY, header.idFrom,
                             reinterpret_cast<LPARAM>(&header));
}

DWORD ButtonType(HWND hWnd) {
    return hWnd && hWnd->kind == ControlClass::Button ? (hWnd->style & BS_TYPEMASK) : ~DWORD{0};
}

bool IsPushButton(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsRadioButton(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

} // namespace detail

// ============================================================ the window

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
    const CDialog::Run* run = pParent ? RunOf(pParent) : nullptr;
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

CMenu* CWnd::GetSystemMenu(BOOL) const {
    RequireUiThread();
    CDialog::Run* run = RunOf(this);
    return run && run->systemMenu ? &*run->systemMenu : nullptr;
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

void CWnd::OnSysCommand(UINT nID, LPARAM) {
    QWidget* widget = GetQtWidget();
    const UINT command = nID & 0xFFF0;
    if (widget && command == SC_CLOSE) {
        SendMessage(WM_CLOSE);
    } else if (widget && command == SC_MINIMIZE) {
        widget->showMinimized();
    }
}

// ============================================================ child controls

CWnd* CWnd::GetDlgItem(int nID) const {
    RequireUiThread();
    const CDialog::Run* run = RunOf(this);
    return run ? detail::ObjectOf(detail::FindControl(*run, nID)) : nullptr;
}

void CWnd::SetDlgItemText(int nID, const char* text) {
    CallOnUiThread([&] {
        if (CWnd* control = GetDlgItem(nID)) {
            control->SetWindowText(text);
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

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    RequireUiThread();
    const CDialog::Run* run = RunOf(this);
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
    const CDialog::Run* run = RunOf(this);
    HWND start = pWndCtl ? pWndCtl->GetSafeHwnd() : nullptr;
    if (!run || !start || start->isDialog) {
        return nullptr;
    }
    const auto [first, last] = detail::GroupOf(*run, start->order);
    HWND next = NextInCycle(*run, first, last - first + 1, start->order - first, bPrevious, false);
    return detail::ObjectOf(next ? next : start);
}

} // namespace nodescout
