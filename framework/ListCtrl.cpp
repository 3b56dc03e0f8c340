// CListCtrl: the list view's rows, columns, states and sorting, kept in
// its widget (framework/detail/ListWidget.h). Qt's own sorting stays off;
// rows are ordered only by SortItemsEx.

#include "framework/Controls.h"

#include "framework/detail/ListWidget.h"

#include <QScrollBar>

#include <functional>
#include <optional>
#include <unordered_map>

namespace nodescout {

namespace {

// A merge sort that stays within bounds whatever the comparison answers.
void MergeSort(std::vector<QTreeWidgetItem*>& rows,
               const std::function<bool(QTreeWidgetItem*, QTreeWidgetItem*)>& before) {
    std::vector<QTreeWidgetItem*> buffer(rows.size());
    for (std::size_t width = 1; width < rows.size(); width *= 2) {
        for (std::size_t low = 0; low < rows.size(); low += 2 * width) {
            const std::size_t middle = std::min(low + width, rows.size());
            const std::size_t high = std::min(low + 2 * width, rows.size());
            std::merge(rows.begin() + static_cast<std::ptrdiff_t>(low),
                       rows.begin() + static_cast<std::ptrdiff_t>(middle),
                       rows.begin() + static_cast<std::ptrdiff_t>(middle),
                       rows.begin() + static_cast<std::ptrdiff_t>(high),
                       buffer.begin() + static_cast<std::ptrdiff_t>(low), before);
        }
        rows.swap(buffer);
    }
}

} // namespace

// ============================================================ CListCtrl

using detail::ListOf;
using detail::ListWidget;

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    return detail::OnUi<DWORD>(this, 0, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        const DWORD old = list->m_extendedStyle;
        list->m_extendedStyle = dwNewStyle;
        list->ApplyStyles();
        return old;
    });
}

int CListCtrl::InsertColumn(int nCol, const char* heading, int, int nWidth, int) {
    const QString title = detail::ToQt(heading ? heading : "");
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        const int count = list->columnCount();
        const int column = std::clamp(nCol, 0, count);
        QStringList titles;
        for (int i = 0; i < count; ++i) {
            titles << list->headerItem()->text(i);
        }
        titles.insert(column, title);
        std::vector<int> widths;
        for (int i = 0; i < count; ++i) {
            widths.push_back(list->header()->sectionSize(i));
        }
        list->setColumnCount(count + 1);
        list->setHeaderLabels(titles);
        // Rows move their texts one column on, right of the new column.
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            QTreeWidgetItem* item = list->topLevelItem(row);
            for (int i = count; i > column; --i) {
                item->setText(i, item->text(i - 1));
            }
            item->setText(column, QString());
        }
        widths.insert(widths.begin() + column, nWidth >= 0 ? nWidth : 100);
        for (int i = 0; i <= count; ++i) {
            list->header()->resizeSection(i, widths[static_cast<std::size_t>(i)]);
        }
        return column;
    });
}

int CListCtrl::InsertItem(int nItem, const char* text) {
    const QString label = detail::ToQt(text ? text : "");
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        if (nItem < 0 || list->columnCount() == 0) {
            return -1;
        }
        const int index = std::min(nItem, list->topLevelItemCount());
        QTreeWidgetItem* item = list->NewRow();
        item->setText(0, label);
        ListWidget::Quiet quiet(*list);
        list->insertTopLevelItem(index, item);
        return index;
    });
}

BOOL CListCtrl::DeleteItem(int nItem) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        if (!list->Row(nItem)) {
            return FALSE;
        }
        ListWidget::Quiet quiet(*list);
        delete list->takeTopLevelItem(nItem);
        return TRUE;
    });
}

BOOL CListCtrl::DeleteAllItems() {
    return detail::OnUi<BOOL>(this, FALSE, [](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        ListWidget::Quiet quiet(*list);
        list->m_hotItem = nullptr;
        list->clear();
        return TRUE;
    });
}

int CListCtrl::GetItemCount() const {
    return detail::OnUi(this, 0, [](HWND hWnd) { return ListOf(hWnd)->topLevelItemCount(); });
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
    const QString value = detail::ToQt(text ? text : "");
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        QTreeWidgetItem* item = list->Row(nItem);
        if (!item || nSubItem < 0 || nSubItem >= list->columnCount()) {
            return FALSE;
        }
        item->setText(nSubItem, value);
        if (nSubItem == 0) {
            // A row's own label counts as an item change; its sub-items do not.
            list->NotifyItemChanged(nItem, LVIF_TEXT, 0, 0);
        }
        return TRUE;
    });
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
    return detail::OnUi(this, std::string(), [&](HWND hWnd) {
        QTreeWidgetItem* item = ListOf(hWnd)->Row(nItem);
        return item ? detail::FromQt(item->text(nSubItem)) : std::string();
    });
}

int CListCtrl::GetItemText(int nItem, int nSubItem, char* buffer, int nLen) const {
    return detail::CopyOut(GetItemText(nItem, nSubItem), buffer, nLen);
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        QTreeWidgetItem* item = list->Row(nItem);
        if (!item) {
            return FALSE;
        }
        item->setData(0, detail::kItemDataRole,
                      QVariant::fromValue<qlonglong>(static_cast<qlonglong>(dwData)));
        list->NotifyItemChanged(nItem, LVIF_PARAM, 0, 0);
        return TRUE;
    });
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    return detail::OnUi<DWORD_PTR>(this, 0, [&](HWND hWnd) -> DWORD_PTR {
        QTreeWidgetItem* item = ListOf(hWnd)->Row(nItem);
        return item ? static_cast<DWORD_PTR>(item->data(0, detail::kItemDataRole).toLongLong()) : 0;
    });
}

std::uint64_t CListCtrl::GetChangeStamp() const {
    return detail::OnUi<std::uint64_t>(this, 0,
                                       [](HWND hWnd) { return ListOf(hWnd)->m_changeStamp; });
}

BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        if (nItem != -1 && !list->Row(nItem)) {
            return FALSE;
        }
        ListWidget::Batch batch(*list);
        const int first = nItem == -1 ? 0 : nItem;
        const int last = nItem == -1 ? list->topLevelItemCount() - 1 : nItem;
        for (int index = first; index <= last; ++index) {
            QTreeWidgetItem* item = list->Row(index);
            if (nMask & LVIS_SELECTED) {
                item->setSelected((nState & LVIS_SELECTED) != 0);
            }
            if (nMask & LVIS_FOCUSED) {
                if (nState & LVIS_FOCUSED) {
                    list->setCurrentItem(item, 0, QItemSelectionModel::NoUpdate);
                } else if (list->currentItem() == item) {
                    list->setCurrentItem(nullptr, 0, QItemSelectionModel::NoUpdate);
                }
            }
        }
        return TRUE;
    });
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        const UINT wanted = static_cast<UINT>(nFlags) & (LVNI_SELECTED | LVNI_FOCUSED);
        for (int index = std::max(nItem + 1, 0); index < list->topLevelItemCount(); ++index) {
            const UINT state = ListWidget::StateOf(list->topLevelItem(index), list->currentItem());
            const UINT needed = ((wanted & LVNI_SELECTED) ? LVIS_SELECTED : 0u) |
                                ((wanted & LVNI_FOCUSED) ? LVIS_FOCUSED : 0u);
            if ((state & needed) == needed) {
                return index;
            }
        }
        return -1;
    });
}

namespace {

// Sorts the rows with before() while they stay in place (so a comparison may
// read them), then moves them into the new order; the selection, the focus
// and the hot item stay with their rows.
void SortRowsInPlace(ListWidget& list,
                     const std::function<bool(QTreeWidgetItem*, QTreeWidgetItem*)>& before) {
    ListWidget::Quiet quiet(list);
    std::vector<QTreeWidgetItem*> rows;
    for (int index = 0; index < list.topLevelItemCount(); ++index) {
        rows.push_back(list.topLevelItem(index));
    }
    MergeSort(rows, before);

    QTreeWidgetItem* current = list.currentItem();
    QTreeWidgetItem* hot = list.m_hotItem;
    const QList<QTreeWidgetItem*> selected = list.selectedItems();
    while (list.topLevelItemCount() > 0) {
        list.takeTopLevelItem(0);
    }
    for (QTreeWidgetItem* row : rows) {
        list.addTopLevelItem(row);
    }
    list.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
    for (QTreeWidgetItem* item : selected) {
        item->setSelected(true);
    }
    list.m_hotItem = hot;
    list.viewport()->update();
}

} // namespace

BOOL CListCtrl::SortItemsEx(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
    if (!pfnCompare) {
        return FALSE;
    }
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget& list = *ListOf(hWnd);
        std::unordered_map<QTreeWidgetItem*, LPARAM> indexOf;
        for (int index = 0; index < list.topLevelItemCount(); ++index) {
            indexOf.emplace(list.topLevelItem(index), index);
        }
        SortRowsInPlace(list, [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
            return pfnCompare(indexOf.at(a), indexOf.at(b), static_cast<LPARAM>(dwData)) < 0;
        });
        return TRUE;
    });
}

int CListCtrl::SetHotItem(int nIndex) {
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        const int previous = list->IndexOf(list->m_hotItem);
        list->m_hotItem = list->Row(nIndex);
        list->viewport()->update();
        return previous;
    });
}

BOOL CListCtrl::Scroll(CSize size) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->value() + size.cx);
        QTreeWidgetItem* first = list->Row(0);
        const int rowHeight = first ? list->visualItemRect(first).height() : 0;
        if (rowHeight > 0 && size.cy != 0) {
            const int half = rowHeight / 2;
            const int rows =
                size.cy > 0 ? (size.cy + half) / rowHeight : -((-size.cy + half) / rowHeight);
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() + rows);
        }
        return TRUE;
    });
}

BOOL CListCtrl::GetItemRect(int nItem, CRect* pRect, UINT nCode) const {
    const CRect none;
    const auto found = detail::OnUi(this, std::optional<CRect>(), [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        QTreeWidgetItem* item = list->Row(nItem);
        if (!item) {
            return std::optional<CRect>();
        }
        QRect rect = nCode == LVIR_LABEL ? list->visualRect(list->indexFromItem(item, 0))
                                         : list->visualItemRect(item);
        if (nCode != LVIR_LABEL) {
            // The whole row, from the first column's left to the last's right.
            rect.setLeft(-list->horizontalScrollBar()->value());
            rect.setWidth(list->header()->length());
        }
        // Client coordinates: the header lies inside the client area.
        rect.translate(list->viewport()->geometry().topLeft() - list->contentsRect().topLeft());
        return std::optional<CRect>(
            CRect{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()});
    });
    *pRect = found.value_or(none);
    return found ? TRUE : FALSE;
}

} // namespace nodescout
