// Drawing and cursors: device contexts over a QPainter, the cursor that
// OnSetCursor chooses, the mouse capture, stock objects and metrics.

#include "framework/Wnd.h"

#include "framework/UiThread.h"
#include "framework/detail/Window.h"

#include <QCursor>
#include <QPainter>

namespace nodescout {

struct HCURSOR__ {
    Qt::CursorShape shape = Qt::ArrowCursor;
};

struct HBRUSH__ {};

namespace {

thread_local QWidget* t_cursorTarget = nullptr;

struct PaintTarget {
    HWND hWnd = nullptr;
    QPainter* painter = nullptr;
};
thread_local PaintTarget t_paintTarget;

} // namespace

namespace detail {

void AskForCursor(HWND hWnd, QWidget* widget) {
    if (QWidget::mouseGrabber() == widget) {
        return; // no cursor question while the mouse is captured
    }
    CWnd* object = ObjectOf(hWnd);
    if (!object) {
        return;
    }
    QWidget* previousTarget = t_cursorTarget;
    t_cursorTarget = widget;
    if (!object->OnSetCursor(object, HTCLIENT, WM_MOUSEMOVE)) {
        widget->unsetCursor();
    }
    t_cursorTarget = previousTarget;
}

void SetCurrentPainter(HWND hWnd, QPainter* painter) {
    t_paintTarget = PaintTarget{hWnd, painter};
}

QPainter* CurrentPainter(HWND hWnd) {
    return hWnd && t_paintTarget.hWnd == hWnd ? t_paintTarget.painter : nullptr;
}

} // namespace detail

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

HDC CDC::GetSafeHdc() const {
    return reinterpret_cast<HDC>(m_pPainter);
}

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
    m_pPainter = pWnd ? detail::CurrentPainter(pWnd->GetSafeHwnd()) : nullptr;
}

} // namespace nodescout
