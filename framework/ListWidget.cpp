// The list view's widget: its change stamps and its info tips.

#include "framework/detail/ListWidget.h"

#include <QToolTip>

namespace nodescout::detail {

std::uint64_t NextChangeStamp() {
    static std::uint64_t s_lastStamp = 0; // UI thread only
    return ++s_lastStamp;
}

void ListWidget::ShowInfoTip(const QHelpEvent* help) {
    const QModelIndex index = indexAt(help->pos());
    char asked[1024] = {};
    if (index.isValid()) {
        NMLVGETINFOTIP ask;
        ask.hdr.code = LVN_GETINFOTIP;
        ask.pszText = asked;
        ask.cchTextMax = static_cast<int>(sizeof asked);
        ask.iItem = index.row();
        ask.iSubItem = index.column();
        NotifyParent(Hwnd(), ask.hdr);
        asked[sizeof asked - 1] = '\0'; // a handler that filled it all
    }
    QString text = ToQt(asked);
    const QString cell = index.data(Qt::DisplayRole).toString(); // empty off the rows
    if (text.isEmpty() && fontMetrics().horizontalAdvance(cell) + 8 > visualRect(index).width()) {
        text = cell;
    }
    QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index)); // none: hidden
}

QWidget* CreateListView(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    return new ListWidget(hWnd, parent);
}

} // namespace nodescout::detail
