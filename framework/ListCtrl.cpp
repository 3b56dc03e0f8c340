// CListCtrl: the list view's rows, columns, states and sorting, kept in
// its widget (framework/detail/ListWidget.h). Qt's own sorting stays off;
// rows are ordered only by SortItemsEx.

#include "framework/Controls.h"

#include "framework/detail/ListWidget.h"

#include <QScrollBar>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <source_location>
#include <utility>
#include <vector>

namespace nodescout {

namespace detail {

QWidget* CreateListView(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    return new ListWidget(hWnd, parent);
}

} // namespace detail

using detail::ListOf;
using detail::ListWidget;

namespace {

// A merge sort that stays within bounds whatever the comparison answers.
template <class Before>
void MergeSort(std::vector<LPARAM>& rows, const Before& before) {
    std::vector<LPARAM> buffer(rows.size());
    for (std::size_t width = 1; width < rows.size(); width *= 2) {
        for (std::size_t low = 0; low < rows.size(); low += 2 * width) {
            const LPARAM* from = rows.data();
            const std::size_t middle = std::min(low + width, rows.size());
            const std::size_t high = std::min(low + 2 * width, rows.size());
            std::merge(from + low, from + middle, from + middle, from + high, buffer.data() + low,
                       before);
        }
        rows.swap(buffer);
    }
}

// Runs body(list, row) on the UI thread for row nItem; fallback when the
// list has no window or no such row.
template <class R, class F>
R OnRow(const CListCtrl* control, int nItem, R fallback, F&& body,
        std::source_location caller = std::source_location::current()) {
    return detail::OnUi<R>(
        control, fallback,
        [&](HWND hWnd) -> R {
            ListWidget& list = *ListOf(hWnd);
            QTreeWidgetItem* row = list.Row(nItem);
            return row ? body(list, row) : fallback;
        },
        caller);
}

} // namespace

DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
    return detail::OnUi<DWORD>(this, 0, [&](HWND hWnd) {
        return std::exchange(ListOf(hWnd)->m_extendedStyle, dwNewStyle);
    });
}

int CListCtrl::InsertColumn(int, const char* heading, int, int nWidth) {
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        const int column = list->columnCount();
        list->setColumnCount(column + 1);
        list->headerItem()->setText(column, detail::ToQt(heading ? heading : ""));
        list->header()->resizeSection(column, nWidth >= 0 ? nWidth : 100);
        return column;
    });
}

int CListCtrl::InsertItem(int nItem, const char* text) {
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        if (nItem < 0 || list->columnCount() == 0) {
            return -1;
        }
        const int index = std::min(nItem, list->topLevelItemCount());
        auto* item = new QTreeWidgetItem(QStringList{detail::ToQt(text ? text : "")});
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable |
                       ((hWnd->style & LVS_EDITLABELS) ? Qt::ItemIsEditable : Qt::NoItemFlags));
        ListWidget::Quiet quiet(*list);
        list->insertTopLevelItem(index, item);
        list->m_changeStamp = detail::NextChangeStamp();
        return index;
    });
}

BOOL CListCtrl::DeleteItem(int nItem) {
    return OnRow<BOOL>(this, nItem, FALSE, [&](ListWidget& list, QTreeWidgetItem* row) {
        if (row == list.m_hotItem) {
            list.m_hotItem = nullptr; // the hot row goes with its row
        }
        ListWidget::Quiet quiet(list);
        delete list.takeTopLevelItem(nItem);
        list.m_changeStamp = detail::NextChangeStamp();
        return TRUE;
    });
}

int CListCtrl::GetItemCount() const {
    return detail::OnUi(this, 0, [](HWND hWnd) { return ListOf(hWnd)->topLevelItemCount(); });
}

BOOL CListCtrl::SetItemText(int nItem, int nSubItem, const char* text) {
    const QString value = detail::ToQt(text ? text : "");
    return OnRow<BOOL>(this, nItem, FALSE, [&](ListWidget& list, QTreeWidgetItem* row) {
        if (nSubItem < 0 || nSubItem >= list.columnCount()) {
            return FALSE;
        }
        if (row->text(nSubItem) != value) {
            row->setText(nSubItem, value);
            list.m_changeStamp = detail::NextChangeStamp();
        }
        if (nSubItem == 0) {
            // A row's own label counts as an item change; its sub-items do not.
            list.NotifyItemChanged(nItem, 0, 0);
        }
        return TRUE;
    });
}

std::string CListCtrl::GetItemText(int nItem, int nSubItem) const {
    return OnRow(this, nItem, std::string(), [&](ListWidget&, QTreeWidgetItem* row) {
        return detail::FromQt(row->text(nSubItem));
    });
}

BOOL CListCtrl::SetItemData(int nItem, DWORD_PTR dwData) {
    return OnRow<BOOL>(this, nItem, FALSE, [&](ListWidget&, QTreeWidgetItem* row) {
        row->setData(0, detail::kItemDataRole, QVariant::fromValue(static_cast<qlonglong>(dwData)));
        return TRUE;
    });
}

DWORD_PTR CListCtrl::GetItemData(int nItem) const {
    return OnRow<DWORD_PTR>(this, nItem, 0, [](ListWidget&, QTreeWidgetItem* row) {
        return static_cast<DWORD_PTR>(row->data(0, detail::kItemDataRole).toLongLong());
    });
}

std::uint64_t CListCtrl::GetChangeStamp() const {
    return detail::OnUi<std::uint64_t>(this, 0,
                                       [](HWND hWnd) { return ListOf(hWnd)->m_changeStamp; });
}

int CListCtrl::GetNextItem(int nItem, int nFlags) const {
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        for (int index = std::max(nItem + 1, 0); index < list->topLevelItemCount(); ++index) {
            if (!(nFlags & LVNI_SELECTED) || list->topLevelItem(index)->isSelected()) {
                return index;
            }
        }
        return -1;
    });
}

BOOL CListCtrl::SortItemsEx(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
    if (!pfnCompare) {
        return FALSE;
    }
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget& list = *ListOf(hWnd);
        ListWidget::Quiet quiet(list);
        std::vector<LPARAM> order(static_cast<std::size_t>(list.topLevelItemCount()));
        std::iota(order.begin(), order.end(), LPARAM{0});
        MergeSort(order, [&](LPARAM a, LPARAM b) {
            return pfnCompare(a, b, static_cast<LPARAM>(dwData)) < 0;
        });
        QTreeWidgetItem* current = list.currentItem();
        const QList<QTreeWidgetItem*> selected = list.selectedItems();
        const QList<QTreeWidgetItem*> rows = list.invisibleRootItem()->takeChildren();
        for (const LPARAM index : order) {
            list.addTopLevelItem(rows[static_cast<qsizetype>(index)]);
        }
        list.setCurrentItem(current, 0, QItemSelectionModel::NoUpdate);
        for (QTreeWidgetItem* item : selected) {
            item->setSelected(true);
        }
        list.m_changeStamp = rows.empty() ? list.m_changeStamp : detail::NextChangeStamp();
        list.viewport()->update();
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
        if (const int rowHeight = first ? list->visualItemRect(first).height() : 0) {
            const int rows =
                static_cast<int>(std::lround(static_cast<double>(size.cy) / rowHeight));
            list->verticalScrollBar()->setValue(list->verticalScrollBar()->value() + rows);
        }
        return TRUE;
    });
}

BOOL CListCtrl::GetItemRect(int nItem, CRect* pRect, UINT) const {
    *pRect = CRect();
    return OnRow<BOOL>(this, nItem, FALSE, [&](ListWidget& list, QTreeWidgetItem* row) {
        QRect rect = list.visualItemRect(row);
        rect.setLeft(-list.horizontalScrollBar()->value());
        rect.setWidth(list.header()->length());
        rect.translate(list.viewport()->geometry().topLeft() - list.contentsRect().topLeft());
        *pRect = CRect{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
        return TRUE;
    });
}

} // namespace nodescout
