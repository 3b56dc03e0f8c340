// The list view's widget: its change stamps, its delegate (the hot row,
// label edits discarded) and its info tips.

#include "framework/detail/ListWidget.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace nodescout::detail {

std::uint64_t NextChangeStamp() {
    static std::uint64_t s_lastStamp = 0; // UI thread only
    return ++s_lastStamp;
}

ListDelegate::ListDelegate(ListWidget* list) : QStyledItemDelegate(list), m_list(list) {}

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem look(option);
    if (m_list->m_hotItem && m_list->itemFromIndex(index) == m_list->m_hotItem) {
        QColor mark = option.palette.color(QPalette::Highlight);
        mark.setAlpha(60);
        painter->fillRect(option.rect, mark);
        look.font.setUnderline(true);
    }
    QStyledItemDelegate::paint(painter, look, index);
}

void ListWidget::ShowInfoTip(const QHelpEvent* help) {
    const QModelIndex index = indexAt(help->pos());
    QString text;
    if (index.isValid()) {
        text = AskedInfoTip(index);
        const QString cell = index.data(Qt::DisplayRole).toString();
        if (text.isEmpty() &&
            fontMetrics().horizontalAdvance(cell) + 8 > visualRect(index).width()) {
            text = cell;
        }
    }
    QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index)); // none: hidden
}

QString ListWidget::AskedInfoTip(const QModelIndex& index) const {
    char buffer[1024] = {};
    NMLVGETINFOTIP ask;
    ask.hdr.code = LVN_GETINFOTIP;
    ask.pszText = buffer;
    ask.cchTextMax = static_cast<int>(sizeof buffer);
    ask.iItem = index.row();
    NotifyParent(Hwnd(), ask.hdr);
    buffer[sizeof buffer - 1] = '\0'; // a handler that filled it all
    return ToQt(buffer);
}

QWidget* CreateListView(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    auto* list = new ListWidget(hWnd, parent);
    list->setFocusPolicy(Qt::StrongFocus);
    return list;
}

} // namespace nodescout::detail
