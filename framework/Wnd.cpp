#include "framework/Wnd.h"

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/UiThread.h"
#include "framework/detail/Window.h"

#include <QApplication>
#include <QCursor>
#include <QPainter>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <set>
#include <stdexcept>

namespace nodescout {

struct HCURSOR__ {
    Qt::CursorShape shape = Qt::ArrowCursor;
};

struct HBRUSH__ {
    bool hollow = true;
};

namespace {

thread_local QWidget* t_pCursorTarget = nullptr;
thread_local HCURSOR t_hCurrentCursor = nullptr;

struct PaintTarget {
    HWND hWnd = nullptr;
    QPainter* painter = nullptr;
};
thread_local PaintTarget t_paintTarget;

std::set<HWND>& LiveWindows() {
    static std::set<HWND> windows; // UI thread only
    return windows;
}

int CopyOut(const std::string& text, char* buffer, int nMaxCount) {
    if (!buffer || nMaxCount <= 0) {
        return 0;
    }
    const auto length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(nMaxCount - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

detail::WindowLink* LinkOf(HWND hWnd) {
    return dynamic_cast<detail::WindowLink*>(detail::WidgetOf(hWnd));
}

CDialog::Run* RunOf(const CWnd* wnd) {
    HWND hWnd = wnd->GetSafeHwnd();
    return hWnd && hWnd->isDialog && hWnd->dialog ? hWnd->dialog->GetRun() : nullptr;
}

// The controls of the dialog that pWndCtl belongs to, in template order.
const std::vector<std::unique_ptr<HWND__>>* ControlsOf(const CWnd* dialog) {
    CDialog::Run* run = RunOf(dialog);
    return run ? &run->controls : nullptr;
}

bool IsEnabledAndShown(HWND hWnd) {
    QWidget* widget = detail::WidgetOf(hWnd);
    return widget && !widget->isHidden() && widget->isEnabled();
}

} // namespace

// ============================================================ detail helpers

namespace detail {

QString ToQt(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string FromQt(const QString& text) {
    return text.toStdString();
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
    if (!hWnd) {
        return nullptr;
    }
    if (hWnd->attached) {
        return hWnd->attached;
    }
    if (!hWnd->ownWrapper) {
        switch (hWnd->kind) {
        case ControlClass::Button:
            hWnd->ownWrapper = std::make_unique<CButton>();
            break;
        case ControlClass::Static:
            hWnd->ownWrapper = std::make_unique<CStatic>();
            break;
        case ControlClass::Edit:
            hWnd->ownWrapper = std::make_unique<CEdit>();
            break;
        case ControlClass::ListView:
            hWnd->ownWrapper = std::make_unique<CListCtrl>();
            break;
        case ControlClass::Progress:
            hWnd->ownWrapper = std::make_unique<CProgressCtrl>();
            break;
        }
    }
    hWnd->ownWrapper->Attach(hWnd);
    return hWnd->attached;
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
    header.hwndFrom = control;
    header.idFrom = static_cast<UINT_PTR>(control->id);
    return AfxCallWindowProc(control->dialog, WM_NOTIFY, header.idFrom,
                             reinterpret_cast<LPARAM>(&header));
}

bool IsLiveWindow(HWND hWnd) {
    return LiveWindows().contains(hWnd);
}

void AddLiveWindow(HWND hWnd) {
    LiveWindows().insert(hWnd);
}

void RemoveLiveWindow(HWND hWnd) {
    LiveWindows().erase(hWnd);
}

void AskForCursor(HWND hWnd, QWidget* widget) {
    if (QWidget::mouseGrabber() == widget) {
        return; // no cursor question while the mouse is captured
    }
    CWnd* object = ObjectOf(hWnd);
    if (!object) {
        return;
    }
    QWidget* previousTarget = t_pCursorTarget;
    t_pCursorTarget = widget;
    if (!object->OnSetCursor(object, HTCLIENT, WM_MOUSEMOVE)) {
        widget->unsetCursor();
    }
    t_pCursorTarget = previousTarget;
}

void SetCurrentPainter(HWND hWnd, QPainter* painter) {
    t_paintTarget = PaintTarget{hWnd, painter};
}

QPainter* CurrentPainter(HWND hWnd) {
    return hWnd && t_paintTarget.hWnd == hWnd ? t_paintTarget.painter : nullptr;
}

} // namespace detail

// ============================================================ CWnd

CWnd::CWnd() = default;

CWnd::~CWnd() {
    Detach();
}

LRESULT AfxCallWindowProc(CWnd* pWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return pWnd ? pWnd->WindowProc(message, wParam, lParam) : 0;
}

CWnd* CWnd::FromHandle(HWND hWnd) {
    return CallOnUiThread<CWnd*>(
        nullptr, [&] { return detail::IsLiveWindow(hWnd) ? detail::ObjectOf(hWnd) : nullptr; });
}

BOOL CWnd::Attach(HWND hWnd) {
    return CallOnUiThread<BOOL>(FALSE, [&]() -> BOOL {
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
    });
}

HWND CWnd::Detach() {
    return CallOnUiThread<HWND>(nullptr, [&]() -> HWND {
        HWND hWnd = m_hWnd.exchange(nullptr);
        if (hWnd && hWnd->attached == this) {
            hWnd->attached = nullptr;
        }
        return hWnd;
    });
}

BOOL CWnd::SubclassDlgItem(int nID, CWnd* pParent) {
    if (!pParent) {
        return FALSE;
    }
    HWND control = CallOnUiThread<HWND>(nullptr, [&]() -> HWND {
        const CDialog::Run* run = RunOf(pParent);
        return run ? detail::FindControl(*run, nID) : nullptr;
    });
    if (!control) {
        return FALSE;
    }
    if (!FitsControl(control)) {
        throw std::logic_error("a control object bound to a control of another kind");
    }
    if (!Attach(control)) {
        return FALSE;
    }
    CallOnUiThread([&] { PreSubclassWindow(); });
    return TRUE;
}

BOOL CWnd::DestroyWindow() {
    return Detach() ? TRUE : FALSE;
}

int CWnd::GetDlgCtrlID() const {
    return detail::OnUi(this, 0, [](HWND hWnd) { return hWnd->id; });
}

CWnd* CWnd::GetParent() const {
    return detail::OnUi<CWnd*>(
        this, nullptr, [](HWND hWnd) -> CWnd* { return hWnd->isDialog ? nullptr : hWnd->dialog; });
}

DWORD CWnd::GetStyle() const {
    return detail::OnUi<DWORD>(this, 0, [](HWND hWnd) { return hWnd->style; });
}

BOOL CWnd::ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) {
        const DWORD old = hWnd->style;
        hWnd->style = (old & ~dwRemove) | dwAdd;
        if ((old ^ hWnd->style) & WS_DISABLED) {
            hWnd->widget->setEnabled(!(hWnd->style & WS_DISABLED));
        }
        if (!hWnd->isDialog && hWnd->kind == ControlClass::Static) {
            detail::ApplyStaticStyle(hWnd);
        }
        return old != hWnd->style ? TRUE : FALSE;
    });
}

// ------------------------------------------------------------ text and state

void CWnd::SetWindowText(const char* text) {
    const std::string copy = text ? text : "";
    detail::OnUi(this, 0, [&](HWND hWnd) {
        if (detail::WindowLink* link = LinkOf(hWnd)) {
            link->SetText(detail::ToQt(copy));
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

int CWnd::GetWindowText(char* buffer, int nMaxCount) const {
    std::string text;
    GetWindowText(text);
    return CopyOut(text, buffer, nMaxCount);
}

int CWnd::GetWindowTextLength() const {
    std::string text;
    GetWindowText(text);
    return static_cast<int>(text.size());
}

BOOL CWnd::EnableWindow(BOOL bEnable) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) {
        const BOOL wasDisabled = (hWnd->style & WS_DISABLED) ? TRUE : FALSE;
        hWnd->style = bEnable ? (hWnd->style & ~WS_DISABLED) : (hWnd->style | WS_DISABLED);
        hWnd->widget->setEnabled(bEnable != FALSE);
        return wasDisabled;
    });
}

BOOL CWnd::IsWindowEnabled() const {
    return detail::OnUi<BOOL>(this, FALSE,
                              [](HWND hWnd) { return hWnd->widget->isEnabled() ? TRUE : FALSE; });
}

BOOL CWnd::ShowWindow(int nCmdShow) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) {
        const BOOL wasVisible = hWnd->widget->isHidden() ? FALSE : TRUE;
        hWnd->widget->setVisible(nCmdShow != SW_HIDE);
        hWnd->style =
            nCmdShow != SW_HIDE ? (hWnd->style | WS_VISIBLE) : (hWnd->style & ~WS_VISIBLE);
        return wasVisible;
    });
}

BOOL CWnd::IsWindowVisible() const {
    return detail::OnUi<BOOL>(this, FALSE,
                              [](HWND hWnd) { return hWnd->widget->isVisible() ? TRUE : FALSE; });
}

BOOL CWnd::IsIconic() const {
    return detail::OnUi<BOOL>(this, FALSE, [](HWND hWnd) {
        return hWnd->widget->window()->isMinimized() ? TRUE : FALSE;
    });
}

CWnd* CWnd::SetFocus() {
    return detail::OnUi<CWnd*>(this, nullptr, [](HWND hWnd) {
        CWnd* previous = GetFocus();
        hWnd->widget->setFocus(Qt::OtherFocusReason);
        return previous;
    });
}

CWnd* CWnd::GetFocus() {
    return CallOnUiThread<CWnd*>(nullptr, []() -> CWnd* {
        QWidget* focus = QApplication::focusWidget();
        if (!focus) {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                focus = modal->focusWidget();
            }
        }
        return detail::ObjectOf(detail::HwndOfWidget(focus));
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

void CWnd::GetWindowRect(CRect* pRect) const {
    *pRect = detail::OnUi(this, CRect{}, [](HWND hWnd) {
        QWidget* widget = hWnd->widget;
        const QRect frame = hWnd->isDialog
                                ? widget->frameGeometry()
                                : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
        return CRect{frame.left(), frame.top(), frame.left() + frame.width(),
                     frame.top() + frame.height()};
    });
}

void CWnd::ScreenToClient(CPoint* pPoint) const {
    *pPoint = detail::OnUi(this, *pPoint, [&](HWND hWnd) {
        const QPoint local = hWnd->widget->mapFromGlobal(QPoint(pPoint->x, pPoint->y));
        return CPoint{local.x(), local.y()};
    });
}

void CWnd::ClientToScreen(CPoint* pPoint) const {
    *pPoint = detail::OnUi(this, *pPoint, [&](HWND hWnd) {
        const QPoint global = hWnd->widget->mapToGlobal(QPoint(pPoint->x, pPoint->y));
        return CPoint{global.x(), global.y()};
    });
}

CWnd* CWnd::SetCapture() {
    return detail::OnUi<CWnd*>(this, nullptr, [](HWND hWnd) {
        CWnd* previous = GetCapture();
        hWnd->widget->grabMouse();
        return previous;
    });
}

CWnd* CWnd::GetCapture() {
    return CallOnUiThread<CWnd*>(
        nullptr, [] { return detail::ObjectOf(detail::HwndOfWidget(QWidget::mouseGrabber())); });
}

BOOL ReleaseCapture() {
    return CallOnUiThread<BOOL>(FALSE, []() -> BOOL {
        QWidget* grabber = QWidget::mouseGrabber();
        if (grabber) {
            grabber->releaseMouse();
        }
        return TRUE;
    });
}

void CWnd::SetIcon(HICON hIcon, BOOL) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        hWnd->icon = hIcon;
        hWnd->widget->setWindowIcon(detail::IconOf(hIcon));
        return 0;
    });
}

CMenu* CWnd::GetSystemMenu(BOOL bRevert) const {
    return CallOnUiThread<CMenu*>(nullptr, [&]() -> CMenu* {
        CDialog::Run* run = RunOf(this);
        if (!run || !run->hasSystemMenu) {
            return nullptr;
        }
        if (bRevert) {
            run->systemMenu = CMenu();
        }
        return &run->systemMenu;
    });
}

// ------------------------------------------------------------ messages

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
    switch (message) {
    case WM_SETTEXT:
        SetWindowText(reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_GETTEXTLENGTH:
        return GetWindowTextLength();
    case WM_GETTEXT:
        return GetWindowText(reinterpret_cast<char*>(lParam), static_cast<int>(wParam));
    case WM_SYSCOMMAND:
        OnSysCommand(static_cast<UINT>(wParam), lParam);
        return 0;
    default:
        return 0;
    }
}

const MessageMap* CWnd::GetMessageMap() const {
    return nullptr;
}

bool CWnd::FitsControl(const HWND) const {
    return true;
}

void CWnd::OnSysCommand(UINT nID, LPARAM) {
    HWND hWnd = GetSafeHwnd();
    if (!hWnd || !hWnd->widget) {
        return;
    }
    switch (nID & 0xFFF0) {
    case SC_CLOSE:
        SendMessage(WM_CLOSE);
        break;
    case SC_MINIMIZE:
        hWnd->widget->showMinimized();
        break;
    case SC_RESTORE:
        hWnd->widget->showNormal();
        break;
    default:
        break;
    }
}

void CWnd::OnPaint() {}

QWidget* CWnd::GetQtWidget() const {
    return detail::WidgetOf(GetSafeHwnd());
}

// ------------------------------------------------------------ child controls

CWnd* CWnd::GetDlgItem(int nID) const {
    return CallOnUiThread<CWnd*>(nullptr, [&]() -> CWnd* {
        const CDialog::Run* run = RunOf(this);
        return run ? detail::ObjectOf(detail::FindControl(*run, nID)) : nullptr;
    });
}

void CWnd::SetDlgItemText(int nID, const char* text) {
    const std::string copy = text ? text : "";
    CallOnUiThread([&] {
        if (CWnd* control = GetDlgItem(nID)) {
            control->SetWindowText(copy);
        }
    });
}

int CWnd::GetDlgItemText(int nID, std::string& text) const {
    text = CallOnUiThread(std::string(), [&] {
        std::string found;
        if (CWnd* control = GetDlgItem(nID)) {
            control->GetWindowText(found);
        }
        return found;
    });
    return static_cast<int>(text.size());
}

int CWnd::GetDlgItemText(int nID, char* buffer, int nMaxCount) const {
    std::string text;
    GetDlgItemText(nID, text);
    return CopyOut(text, buffer, nMaxCount);
}

void CWnd::SetDlgItemInt(int nID, int value, BOOL bSigned) {
    const std::string text =
        bSigned ? std::to_string(value) : std::to_string(static_cast<unsigned int>(value));
    SetDlgItemText(nID, text);
}

UINT CWnd::GetDlgItemInt(int nID, BOOL* pTranslated, BOOL bSigned) const {
    std::string text;
    GetDlgItemText(nID, text);
    char* end = nullptr;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), &end, 10);
    while (end && *end == ' ') {
        ++end;
    }
    const bool ok = !text.empty() && end && *end == '\0' && errno == 0 &&
                    (bSigned ? value >= INT32_MIN && value <= INT32_MAX
                             : value >= 0 && value <= static_cast<long long>(UINT32_MAX));
    if (pTranslated) {
        *pTranslated = ok ? TRUE : FALSE;
    }
    return ok ? static_cast<UINT>(value) : 0;
}

void CWnd::CheckDlgButton(int nID, UINT nCheck) {
    CallOnUiThread([&] {
        if (auto* button = dynamic_cast<CButton*>(GetDlgItem(nID))) {
            button->SetCheck(static_cast<int>(nCheck));
        }
    });
}

UINT CWnd::IsDlgButtonChecked(int nID) const {
    return CallOnUiThread<UINT>(0, [&]() -> UINT {
        auto* button = dynamic_cast<CButton*>(GetDlgItem(nID));
        return button ? static_cast<UINT>(button->GetCheck()) : 0;
    });
}

void CWnd::CheckRadioButton(int nIDFirst, int nIDLast, int nIDCheck) {
    CallOnUiThread([&] {
        for (int id = nIDFirst; id <= nIDLast; ++id) {
            CheckDlgButton(id, id == nIDCheck ? BST_CHECKED : BST_UNCHECKED);
        }
    });
}

CWnd* CWnd::GetNextDlgTabItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return CallOnUiThread<CWnd*>(nullptr, [&]() -> CWnd* {
        const auto* controls = ControlsOf(this);
        if (!controls || controls->empty()) {
            return nullptr;
        }
        const auto count = static_cast<int>(controls->size());
        HWND start = pWndCtl ? pWndCtl->GetSafeHwnd() : nullptr;
        // Without a start, searching forward begins at the first control.
        int index = start ? static_cast<int>(start->order) : (bPrevious ? 0 : count - 1);
        for (int step = 0; step < count; ++step) {
            index = (index + (bPrevious ? count - 1 : 1)) % count;
            HWND candidate = (*controls)[static_cast<std::size_t>(index)].get();
            if ((candidate->style & WS_TABSTOP) && IsEnabledAndShown(candidate)) {
                return detail::ObjectOf(candidate);
            }
        }
        return nullptr;
    });
}

CWnd* CWnd::GetNextDlgGroupItem(CWnd* pWndCtl, BOOL bPrevious) const {
    return CallOnUiThread<CWnd*>(nullptr, [&]() -> CWnd* {
        const auto* controls = ControlsOf(this);
        HWND start = pWndCtl ? pWndCtl->GetSafeHwnd() : nullptr;
        if (!controls || !start || start->isDialog) {
            return nullptr;
        }
        const auto [first, last] = detail::GroupOf(*RunOf(this), start->order);
        const std::size_t size = last - first + 1;
        std::size_t index = start->order - first;
        for (std::size_t step = 1; step < size; ++step) {
            index = (index + (bPrevious ? size - 1 : 1)) % size;
            HWND candidate = (*controls)[first + index].get();
            if (IsEnabledAndShown(candidate)) {
                return detail::ObjectOf(candidate);
            }
        }
        return detail::ObjectOf(start);
    });
}

// ------------------------------------------------------------ hooks

void CWnd::PreSubclassWindow() {}

BOOL CWnd::PreTranslateMessage(MSG*) {
    return FALSE;
}

void CWnd::OnMouseMove(UINT, CPoint) {}
void CWnd::OnLButtonDown(UINT, CPoint) {}
void CWnd::OnLButtonUp(UINT, CPoint) {}

BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) {
    return FALSE;
}

// ============================================================ cursors and stock objects

HCURSOR LoadStandardCursor(int nCursorId) {
    static HCURSOR__ arrow{Qt::ArrowCursor};
    static HCURSOR__ beam{Qt::IBeamCursor};
    static HCURSOR__ wait{Qt::WaitCursor};
    static HCURSOR__ hand{Qt::PointingHandCursor};
    switch (nCursorId) {
    case IDC_ARROW:
        return &arrow;
    case IDC_IBEAM:
        return &beam;
    case IDC_WAIT:
        return &wait;
    case IDC_HAND:
        return &hand;
    default:
        return nullptr;
    }
}

HCURSOR SetCursor(HCURSOR hCursor) {
    HCURSOR previous = t_hCurrentCursor;
    t_hCurrentCursor = hCursor;
    if (t_pCursorTarget) {
        if (hCursor) {
            t_pCursorTarget->setCursor(QCursor(hCursor->shape));
        } else {
            t_pCursorTarget->setCursor(QCursor(Qt::BlankCursor));
        }
    }
    return previous;
}

int GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}

HBRUSH GetStockObject(int nIndex) {
    static HBRUSH__ hollow{true};
    return nIndex == NULL_BRUSH ? &hollow : nullptr;
}

// ============================================================ CMenu

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    Item item;
    item.flags = nFlags;
    item.id = (nFlags & MF_SEPARATOR) ? 0 : nIDNewItem;
    item.text = (nFlags & MF_SEPARATOR) || !lpszNewItem ? "" : lpszNewItem;
    m_items.push_back(std::move(item));
    return TRUE;
}

UINT CMenu::GetMenuItemID(int nPos) const {
    if (nPos < 0 || nPos >= GetMenuItemCount()) {
        return static_cast<UINT>(-1);
    }
    const Item& item = m_items[static_cast<std::size_t>(nPos)];
    return (item.flags & MF_SEPARATOR) ? 0 : static_cast<UINT>(item.id);
}

UINT CMenu::EnableMenuItem(UINT nIDEnableItem, UINT nEnable) {
    constexpr UINT kGreyed = MF_GRAYED | MF_DISABLED;
    for (Item& item : m_items) {
        if (!(item.flags & MF_SEPARATOR) && item.id == nIDEnableItem) {
            const UINT previous = item.flags & kGreyed;
            item.flags = (item.flags & ~kGreyed) | (nEnable & kGreyed);
            return previous;
        }
    }
    return static_cast<UINT>(-1);
}

// ============================================================ CDC

COLORREF CDC::SetTextColor(COLORREF colour) {
    const COLORREF previous = m_crText;
    m_crText = colour;
    m_bTextColour = true;
    return previous;
}

int CDC::SetBkMode(int nBkMode) {
    const int previous = m_nBkMode;
    m_nBkMode = nBkMode;
    return previous;
}

COLORREF CDC::SetBkColor(COLORREF colour) {
    const COLORREF previous = m_crBk;
    m_crBk = colour;
    return previous;
}

HDC CDC::GetSafeHdc() const {
    return reinterpret_cast<HDC>(m_pPainter);
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    if (!m_pPainter || !hIcon) {
        return FALSE;
    }
    const int size = GetSystemMetrics(SM_CXICON);
    m_pPainter->drawPixmap(QRect(x, y, size, size), detail::IconOf(hIcon).pixmap(size, size));
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* pWnd) {
    m_pPainter = pWnd ? detail::CurrentPainter(pWnd->GetSafeHwnd()) : nullptr;
}

// ============================================================ CToolTipCtrl

CToolTipCtrl::~CToolTipCtrl() {
    for (const Tool& tool : m_tools) {
        if (detail::IsLiveWindow(tool.hWnd) && tool.hWnd->toolTip == this) {
            tool.hWnd->toolTip = nullptr;
        }
    }
}

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD) {
    m_bCreated = pParentWnd && pParentWnd->GetSafeHwnd();
    return m_bCreated ? TRUE : FALSE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* text, const CRect* lpRectTool,
                           UINT_PTR nIDTool) {
    HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    if (!m_bCreated || !hWnd) {
        return FALSE;
    }
    Tool tool;
    tool.hWnd = hWnd;
    tool.id = nIDTool;
    tool.text = text ? text : "";
    tool.wholeWindow = lpRectTool == nullptr;
    if (lpRectTool) {
        tool.rect = *lpRectTool;
    }
    m_tools.push_back(std::move(tool));
    CallOnUiThread([&] { hWnd->toolTip = this; });
    return TRUE;
}

void CToolTipCtrl::UpdateTipText(const char* text, CWnd* pWnd, UINT_PTR nIDTool) {
    HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    for (Tool& tool : m_tools) {
        if (tool.hWnd == hWnd && tool.id == nIDTool) {
            tool.text = text ? text : "";
        }
    }
}

void CToolTipCtrl::RelayEvent(MSG*) {}

void CToolTipCtrl::Activate(BOOL bActivate) {
    m_bActive = bActivate != FALSE;
}

const std::string* CToolTipCtrl::TipAt(HWND hWnd, CPoint point) const {
    if (!m_bActive) {
        return nullptr;
    }
    for (const Tool& tool : m_tools) {
        if (tool.hWnd == hWnd && (tool.wholeWindow || tool.rect.PtInRect(point))) {
            return &tool.text;
        }
    }
    return nullptr;
}

} // namespace nodescout
