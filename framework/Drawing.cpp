// What windows show besides their controls: device contexts over a
// QPainter, the cursor that OnSetCursor chooses, the mouse capture, stock
// objects and metrics, CMenu and the system menu shown as a Qt popup, and
// the tooltips shown as the pointer rests over a tool.

#include "framework/Wnd.h"

#include "framework/UiThread.h"
#include "framework/detail/Window.h"

#include <QCursor>
#include <QMenu>
#include <QPainter>
#include <QToolTip>

namespace nodescout {

struct HCURSOR__ {
    Qt::CursorShape shape = Qt::ArrowCursor;
};

struct HBRUSH__ {};

namespace {

thread_local QWidget* t_cursorTarget = nullptr;

thread_local HWND t_paintedWindow = nullptr;
thread_local QPainter* t_painter = nullptr;

} // namespace

// ============================================================ the mouse capture

CWnd* CWnd::SetCapture() {
    return detail::OnUi<CWnd*>(this, nullptr, [this](HWND hWnd) {
        CWnd* previous = GetCapture();
        hWnd->widget->grabMouse();
        if (previous && previous != this) {
            previous->OnCaptureChanged(this);
        }
        return previous;
    });
}

CWnd* CWnd::GetCapture() {
    RequireUiThread();
    return detail::ObjectOf(detail::HwndOfWidget(QWidget::mouseGrabber()));
}

BOOL ReleaseCapture() {
    RequireUiThread();
    CWnd* previous = CWnd::GetCapture();
    if (QWidget* grabber = QWidget::mouseGrabber()) {
        grabber->releaseMouse();
    }
    if (previous) {
        previous->OnCaptureChanged(nullptr);
    }
    return TRUE;
}

// ============================================================ cursors and stock objects

HCURSOR LoadStandardCursor(int nCursorId) {
    static HCURSOR__ hand{Qt::PointingHandCursor};
    return nCursorId == IDC_HAND ? &hand : nullptr;
}

void SetCursor(HCURSOR hCursor) {
    RequireUiThread();
    if (t_cursorTarget) {
        t_cursorTarget->setCursor(QCursor(hCursor ? hCursor->shape : Qt::BlankCursor));
    }
}

int GetSystemMetrics(int nIndex) {
    return nIndex == SM_CXICON || nIndex == SM_CYICON ? 32 : 0;
}

HBRUSH GetStockObject(int nIndex) {
    static HBRUSH__ hollow;
    return nIndex == NULL_BRUSH ? &hollow : nullptr;
}

// ============================================================ CDC

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
    RequireUiThread();
    if (!m_pPainter || !hIcon) {
        return FALSE;
    }
    const int size = GetSystemMetrics(SM_CXICON);
    m_pPainter->drawPixmap(QRect(x, y, size, size), detail::IconOf(hIcon).pixmap(size, size));
    return TRUE;
}

CPaintDC::CPaintDC(CWnd* pWnd) {
    RequireUiThread();
    // Without a paint event running, both are null.
    m_pPainter = pWnd && pWnd->GetSafeHwnd() == t_paintedWindow ? t_painter : nullptr;
}

// ============================================================ menus

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, const char* lpszNewItem) {
    const bool separator = (nFlags & MF_SEPARATOR) != 0;
    m_items.push_back(
        {nFlags, separator ? 0 : nIDNewItem, separator || !lpszNewItem ? "" : lpszNewItem});
    return TRUE;
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

// ============================================================ tooltips

BOOL CToolTipCtrl::Create(CWnd* pParentWnd, DWORD) {
    RequireUiThread();
    m_bCreated = pParentWnd && pParentWnd->GetSafeHwnd();
    return m_bCreated ? TRUE : FALSE;
}

BOOL CToolTipCtrl::AddTool(CWnd* pWnd, const char* text, const CRect* lpRectTool, UINT_PTR) {
    RequireUiThread();
    HWND hWnd = pWnd ? pWnd->GetSafeHwnd() : nullptr;
    if (!m_bCreated || !hWnd) {
        return FALSE;
    }
    m_tools.push_back(
        {hWnd, text ? text : "", lpRectTool ? std::optional(*lpRectTool) : std::nullopt});
    hWnd->toolTip = m_self;
    return TRUE;
}

const std::string* CToolTipCtrl::TipAt(HWND hWnd, CPoint point) const {
    for (const Tool& tool : m_tools) {
        if (tool.hWnd == hWnd && (!tool.area || tool.area->PtInRect(point))) {
            return &tool.text;
        }
    }
    return nullptr;
}

// ============================================================ the framework's side

namespace detail {

void AskForCursor(HWND hWnd, QWidget* widget) {
    if (QWidget::mouseGrabber() == widget) {
        return; // no cursor question while the mouse is captured
    }
    CWnd* object = ObjectOf(hWnd);
    QWidget* previousTarget = t_cursorTarget;
    t_cursorTarget = widget;
    if (!object->OnSetCursor(object, HTCLIENT, WM_MOUSEMOVE)) {
        widget->unsetCursor();
    }
    t_cursorTarget = previousTarget;
}

void SetCurrentPainter(HWND hWnd, QPainter* painter) {
    t_paintedWindow = hWnd;
    t_painter = painter;
}

void SetUpSystemMenu(CDialog::Run& run, DWORD style) {
    if (!(style & WS_SYSMENU)) {
        return;
    }
    CMenu& menu = run.systemMenu.emplace();
    if (style & WS_MINIMIZEBOX) {
        menu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    }
    menu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
}

void ShowSystemMenu(CDialog& dialog, QWidget* owner, const QPoint& globalPosition) {
    CMenu* systemMenu = dialog.GetSystemMenu(FALSE);
    if (!systemMenu) {
        return;
    }
    AfxCallWindowProc(&dialog, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(systemMenu),
                      MAKELPARAM(0, TRUE));
    auto* menu = new QMenu(owner);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (const CMenu::Item& item : systemMenu->Items()) {
        if (item.flags & MF_SEPARATOR) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(ToQt(item.text));
        action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
        const auto id = static_cast<WPARAM>(item.id);
        QObject::connect(action, &QAction::triggered,
                         [&dialog, id] { AfxCallWindowProc(&dialog, WM_SYSCOMMAND, id, 0); });
    }
    menu->popup(globalPosition);
}

void ShowToolTip(HWND hWnd, const QPoint& local, const QPoint& global) {
    const std::string* tip = hWnd->toolTip.lock()->TipAt(hWnd, CPoint{local.x(), local.y()});
    if (tip && !tip->empty()) {
        QToolTip::showText(global, ToQt(*tip), hWnd->widget);
    } else {
        QToolTip::hideText();
    }
}

} // namespace detail

} // namespace nodescout
