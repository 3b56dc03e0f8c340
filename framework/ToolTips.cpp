// Tooltips: the tools of a CToolTipCtrl, shown by the framework as the
// pointer rests over one.

#include "framework/Wnd.h"

#include "framework/UiThread.h"
#include "framework/detail/Window.h"

#include <QHelpEvent>
#include <QToolTip>

namespace nodescout {

CToolTipCtrl::~CToolTipCtrl() {
    for (const Tool& tool : m_tools) {
        if (detail::IsLiveWindow(tool.hWnd) && tool.hWnd->toolTip == this) {
            tool.hWnd->toolTip = nullptr;
        }
    }
}

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
    std::optional<CRect> area;
    if (lpRectTool) {
        area = *lpRectTool;
    }
    m_tools.push_back({hWnd, text ? text : "", area});
    hWnd->toolTip = this;
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

namespace detail {

void ShowToolTip(HWND hWnd, QObject* watched, const QHelpEvent* help) {
    QPoint local = help->pos();
    if (watched != hWnd->widget.data() && watched->isWidgetType()) {
        local = static_cast<QWidget*>(watched)->mapTo(hWnd->widget.data(), local);
    }
    const std::string* tip = hWnd->toolTip->TipAt(hWnd, CPoint{local.x(), local.y()});
    if (tip && !tip->empty()) {
        QToolTip::showText(help->globalPos(), ToQt(*tip), hWnd->widget);
    } else {
        QToolTip::hideText();
    }
}

} // namespace detail

} // namespace nodescout
