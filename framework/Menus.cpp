// Menus: CMenu's items and the system menu of a dialog, shown as a Qt popup.

#include "framework/Wnd.h"

#include "framework/UiThread.h"
#include "framework/detail/Window.h"

#include <QMenu>

namespace nodescout {

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

CMenu* CWnd::GetSystemMenu(BOOL) const {
    RequireUiThread();
    CDialog::Run* run = detail::RunOf(this);
    return run && run->hasSystemMenu ? &run->systemMenu : nullptr;
}

namespace detail {

void SetUpSystemMenu(CDialog::Run& run, DWORD style) {
    if (!(style & WS_SYSMENU)) {
        return;
    }
    run.hasSystemMenu = true;
    if (style & WS_MINIMIZEBOX) {
        run.systemMenu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
    }
    run.systemMenu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
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

} // namespace detail

} // namespace nodescout
