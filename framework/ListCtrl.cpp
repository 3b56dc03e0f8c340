// The list view in report view, on a QTreeWidget with one top-level item per
// row. Qt's own sorting stays off; rows are ordered only by SortItems.

#include "framework/Controls.h"

#include "framework/detail/Window.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <QTreeWidget>

#include <algorithm>
#include <cstring>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

namespace nodescout {

namespace detail {

namespace {

constexpr int kItemDataRole = Qt::UserRole;
constexpr int kStateRole = Qt::UserRole + 1; // the LVIS_ state last reported

class ListWidget;

// Change stamps are counted for all lists together, so no two lists (and no
// list and its successor after a window was made again) ever share one.
std::uint64_t NextChangeStamp() {
    static std::uint64_t s_nLastStamp = 0; // UI thread only
    return ++s_nLastStamp;
}

bool ChangesText(const QList<int>& roles) {
    return roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole);
}

// Draws the hot row and, without full-row select, the selection in the
// first column only; edits only the first column's label, and keeps the
// edited text only when the dialog accepts it (LVN_ENDLABELEDIT).
class ListDelegate : public QStyledItemDelegate {
public:
    explicit ListDelegate(ListWidget* list);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model,
                      const QModelIndex& index) const override;

private:
    ListWidget* m_list;
};

class ListWidget : public QTreeWidget, public WindowLink {
public:
    ListWidget(HWND hWnd, QWidget* parent) : QTreeWidget(parent), WindowLink(hWnd) {
        setRootIsDecorated(false);
        setItemsExpandable(false);
        setUniformRowHeights(true);
        setSortingEnabled(false);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        setColumnCount(0);
        header()->setStretchLastSection(false);
        header()->setSectionsMovable(false);
        header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        setItemDelegate(new ListDelegate(this));
        QObject::connect(header(), &QHeaderView::sectionClicked,
                         [this](int column) { NotifyColumnClick(column); });
        QObject::connect(this, &QTreeWidget::itemSelectionChanged, [this] { ReportStates(); });
        QObject::connect(this, &QTreeWidget::currentItemChanged, [this] { ReportStates(); });
        WatchChanges();
    }

    void SetText(const QString& text) override { m_text = text; }
    QString Text() const override { return m_text; }

    void ApplyStyles() {
        const DWORD style = Hwnd()->style;
        setSelectionMode((style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                 : QAbstractItemView::ExtendedSelection);
        setEditTriggers((style & LVS_EDITLABELS) ? (QAbstractItemView::SelectedClicked |
                                                    QAbstractItemView::EditKeyPressed)
                                                 : QAbstractItemView::NoEditTriggers);
        header()->setVisible(!(style & LVS_NOCOLUMNHEADER));
        header()->setSectionsClickable(!(style & LVS_NOSORTHEADER));
        setFrameShape((style & WS_BORDER) || (Hwnd()->exStyle & WS_EX_CLIENTEDGE)
                          ? QFrame::StyledPanel
                          : QFrame::NoFrame);
        setAllColumnsShowFocus((m_extendedStyle & LVS_EX_FULLROWSELECT) != 0);
        viewport()->update();
    }

    QTreeWidgetItem* Row(int index) const {
        return index >= 0 && index < topLevelItemCount() ? topLevelItem(index) : nullptr;
    }

    int IndexOf(const QTreeWidgetItem* item) const {
        return item ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
    }

    QTreeWidgetItem* NewRow() const {
        auto* item = new QTreeWidgetItem();
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (Hwnd()->style & LVS_EDITLABELS) {
            flags |= Qt::ItemIsEditable;
        }
        item->setFlags(flags);
        item->setData(0, kItemDataRole, QVariant::fromValue<qlonglong>(0));
        item->setData(0, kStateRole, 0);
        for (int column = 0; column < columnCount(); ++column) {
            item->setTextAlignment(column, ColumnAlignment(column));
        }
        return item;
    }

    Qt::Alignment ColumnAlignment(int column) const {
        const int format = column < static_cast<int>(m_formats.size())
                               ? m_formats[static_cast<std::size_t>(column)]
                               : LVCFMT_LEFT;
        const Qt::Alignment horizontal = format == LVCFMT_RIGHT    ? Qt::AlignRight
                                         : format == LVCFMT_CENTER ? Qt::AlignHCenter
                                                                   : Qt::AlignLeft;
        return horizontal | Qt::AlignVCenter;
    }

    // ---------------------------------------------------- state and notifications

    static UINT StateOf(const QTreeWidgetItem* item, const QTreeWidgetItem* current) {
        return (item->isSelected() ? LVIS_SELECTED : 0u) | (item == current ? LVIS_FOCUSED : 0u);
    }

    // Reports every row whose selection or focus changed, as LVN_ITEMCHANGED.
    void ReportStates() {
        if (m_nQuiet > 0) {
            return;
        }
        const QTreeWidgetItem* current = currentItem();
        for (int index = 0; index < topLevelItemCount(); ++index) {
            QTreeWidgetItem* item = topLevelItem(index);
            const UINT oldState = item->data(0, kStateRole).toUInt();
            const UINT newState = StateOf(item, current);
            if (oldState == newState) {
                continue;
            }
            item->setData(0, kStateRole, newState);
            NotifyItemChanged(index, LVIF_STATE, oldState, newState);
        }
    }

    void NotifyItemChanged(int index, UINT changed, UINT oldState, UINT newState) {
        NMLISTVIEW change;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = index;
        change.uChanged = changed;
        change.uOldState = oldState;
        change.uNewState = newState;
        if (QTreeWidgetItem* item = Row(index)) {
            change.lParam = static_cast<LPARAM>(item->data(0, kItemDataRole).toLongLong());
        }
        NotifyParent(Hwnd(), change.hdr);
    }

    void NotifyColumnClick(int column) {
        NMLISTVIEW click;
        click.hdr.code = LVN_COLUMNCLICK;
        click.iItem = -1;
        click.iSubItem = column;
        NotifyParent(Hwnd(), click.hdr);
    }

    // Several state changes made by one call, reported once per row.
    class Batch {
    public:
        explicit Batch(ListWidget& list) : m_list(list) { ++m_list.m_nQuiet; }
        ~Batch() {
            --m_list.m_nQuiet;
            m_list.ReportStates();
        }
        Batch(const Batch&) = delete;
        Batch& operator=(const Batch&) = delete;

    private:
        ListWidget& m_list;
    };

    // Changes that Windows does not report as item changes (rows added,
    // removed or reordered). They leave every row's state as it was, except
    // that Qt may move the focus to another row, which is recorded quietly.
    class Quiet {
    public:
        explicit Quiet(ListWidget& list) : m_list(list), m_focusBefore(list.currentIndex()) {
            ++m_list.m_nQuiet;
        }
        ~Quiet() {
            --m_list.m_nQuiet;
            m_list.RecordState(m_list.itemFromIndex(m_focusBefore));
            m_list.RecordState(m_list.currentItem());
        }
        Quiet(const Quiet&) = delete;
        Quiet& operator=(const Quiet&) = delete;

    private:
        ListWidget& m_list;
        QPersistentModelIndex m_focusBefore;
    };

    void RecordState(QTreeWidgetItem* item) {
        if (item) {
            item->setData(0, kStateRole, StateOf(item, currentItem()));
        }
    }

    DWORD m_extendedStyle = 0;
    std::vector<int> m_formats;
    QTreeWidgetItem* m_pHotItem = nullptr;
    std::uint64_t m_nChangeStamp = NextChangeStamp();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QTreeWidget::mouseDoubleClickEvent(event);
        const QPoint position = event->position().toPoint();
        NMITEMACTIVATE activate;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = IndexOf(itemAt(position));
        activate.iSubItem = std::max(columnAt(position.x()), 0);
        const QPoint client = viewport()->mapTo(this, position) - contentsRect().topLeft();
        activate.ptAction = CPoint{client.x(), client.y()};
        NotifyParent(Hwnd(), activate.hdr);
    }

    bool viewportEvent(QEvent* event) override {
        if (event->type() == QEvent::ToolTip && (m_extendedStyle & LVS_EX_INFOTIP)) {
            ShowInfoTip(static_cast<QHelpEvent*>(event));
            return true;
        }
        return QTreeWidget::viewportEvent(event);
    }

    // With full-row select a click anywhere on a selected row edits its
    // label, as on Windows; only the first column has one.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        return QTreeWidget::edit(index.isValid() ? index.siblingAtColumn(0) : index, trigger,
                                 event);
    }

    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override {
        if (!parent.isValid()) {
            for (int index = start; index <= end; ++index) {
                if (topLevelItem(index) == m_pHotItem) {
                    m_pHotItem = nullptr;
                }
            }
        }
        QTreeWidget::rowsAboutToBeRemoved(parent, start, end);
    }

private:
    QString m_text;
    int m_nQuiet = 0;

    // Every change of the rows or their texts, whoever makes it, takes a new
    // change stamp.
    void WatchChanges() {
        QAbstractItemModel* rows = model();
        const auto changed = [this] { m_nChangeStamp = NextChangeStamp(); };
        QObject::connect(rows, &QAbstractItemModel::rowsInserted, changed);
        QObject::connect(rows, &QAbstractItemModel::rowsRemoved, changed);
        QObject::connect(rows, &QAbstractItemModel::rowsMoved, changed);
        QObject::connect(rows, &QAbstractItemModel::layoutChanged, changed);
        QObject::connect(rows, &QAbstractItemModel::modelReset, changed);
        QObject::connect(
            rows, &QAbstractItemModel::dataChanged,
            [changed](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                if (ChangesText(roles)) {
                    changed();
                }
            });
    }

    // An info tip shows a cell's whole text when the column cuts it.
    void ShowInfoTip(const QHelpEvent* help) {
        const QModelIndex index = indexAt(help->pos());
        if (!index.isValid()) {
            QToolTip::hideText();
            return;
        }
        const QString text = index.data(Qt::DisplayRole).toString();
        const int needed = fontMetrics().horizontalAdvance(text) + 8;
        if (needed > visualRect(index).width()) {
            QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
        } else {
            QToolTip::hideText();
        }
    }
};

ListDelegate::ListDelegate(ListWidget* list) : QStyledItemDelegate(list), m_list(list) {}

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem look(option);
    const bool fullRow = (m_list->m_extendedStyle & LVS_EX_FULLROWSELECT) != 0;
    if (!fullRow && index.column() > 0) {
        look.state &= ~QStyle::State_Selected;
        look.state &= ~QStyle::State_HasFocus;
    }
    if (m_list->m_pHotItem && m_list->itemFromIndex(index) == m_list->m_pHotItem) {
        QColor mark = option.palette.color(QPalette::Highlight);
        mark.setAlpha(60);
        painter->fillRect(option.rect, mark);
        look.font.setUnderline(true);
    }
    QStyledItemDelegate::paint(painter, look, index);
}

QWidget* ListDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                    const QModelIndex& index) const {
    if (index.column() != 0) {
        return nullptr;
    }
    NMLVDISPINFO begin;
    begin.hdr.code = LVN_BEGINLABELEDIT;
    begin.item.iItem = index.row();
    if (NotifyParent(m_list->Hwnd(), begin.hdr) != 0) {
        return nullptr; // the dialog refused the edit
    }
    return QStyledItemDelegate::createEditor(parent, option, index);
}

void ListDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                const QModelIndex& index) const {
    auto* line = dynamic_cast<QLineEdit*>(editor);
    if (!line) {
        return;
    }
    std::string text = FromQt(line->text());
    NMLVDISPINFO end;
    end.hdr.code = LVN_ENDLABELEDIT;
    end.item.mask = LVIF_TEXT;
    end.item.iItem = index.row();
    end.item.pszText = text.data();
    end.item.cchTextMax = static_cast<int>(text.size() + 1);
    if (NotifyParent(m_list->Hwnd(), end.hdr) != 0) {
        model->setData(index, ToQt(text), Qt::DisplayRole);
    }
}

ListWidget* ListOf(HWND hWnd) {
    return dynamic_cast<ListWidget*>(WidgetOf(hWnd));
}

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

QWidget* CreateListView(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    auto* list = new ListWidget(hWnd, parent);
    list->setFocusPolicy(Qt::StrongFocus);
    list->ApplyStyles();
    return list;
}

} // namespace detail

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

DWORD CListCtrl::GetExtendedStyle() const {
    return detail::OnUi<DWORD>(this, 0, [](HWND hWnd) { return ListOf(hWnd)->m_extendedStyle; });
}

int CListCtrl::InsertColumn(int nCol, const char* heading, int nFormat, int nWidth, int) {
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
        list->m_formats.insert(list->m_formats.begin() + column, nFormat);
        widths.insert(widths.begin() + column, nWidth >= 0 ? nWidth : 100);
        for (int i = 0; i <= count; ++i) {
            list->header()->resizeSection(i, widths[static_cast<std::size_t>(i)]);
            list->headerItem()->setTextAlignment(i, list->ColumnAlignment(i));
            for (int row = 0; row < list->topLevelItemCount(); ++row) {
                list->topLevelItem(row)->setTextAlignment(i, list->ColumnAlignment(i));
            }
        }
        return column;
    });
}

int CListCtrl::GetColumnCount() const {
    return detail::OnUi(this, 0, [](HWND hWnd) { return ListOf(hWnd)->columnCount(); });
}

int CListCtrl::GetColumnWidth(int nCol) const {
    return detail::OnUi(this, 0, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        return nCol >= 0 && nCol < list->columnCount() ? list->header()->sectionSize(nCol) : 0;
    });
}

BOOL CListCtrl::SetColumnWidth(int nCol, int cx) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        if (nCol < 0 || nCol >= list->columnCount() || cx < 0) {
            return FALSE;
        }
        list->header()->resizeSection(nCol, cx);
        return TRUE;
    });
}

int CListCtrl::InsertItem(int nItem, const char* text) {
    return InsertItem(LVIF_TEXT, nItem, text, 0, 0, 0, 0);
}

int CListCtrl::InsertItem(UINT nMask, int nItem, const char* text, UINT nState, UINT nStateMask,
                          int, LPARAM lParam) {
    const QString label = detail::ToQt(text ? text : "");
    return detail::OnUi(this, -1, [&](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        if (nItem < 0 || list->columnCount() == 0) {
            return -1;
        }
        const int index = std::min(nItem, list->topLevelItemCount());
        QTreeWidgetItem* item = list->NewRow();
        if (nMask & LVIF_TEXT) {
            item->setText(0, label);
        }
        if (nMask & LVIF_PARAM) {
            item->setData(0, detail::kItemDataRole, QVariant::fromValue<qlonglong>(lParam));
        }
        {
            ListWidget::Quiet quiet(*list);
            list->insertTopLevelItem(index, item);
        }
        if (nMask & LVIF_STATE) {
            SetItemState(index, nState, nStateMask);
        }
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
        list->m_pHotItem = nullptr;
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
    if (!buffer || nLen <= 0) {
        return 0;
    }
    const std::string text = GetItemText(nItem, nSubItem);
    const auto length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(nLen - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
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
                                       [](HWND hWnd) { return ListOf(hWnd)->m_nChangeStamp; });
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

UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
    return detail::OnUi<UINT>(this, 0, [&](HWND hWnd) -> UINT {
        ListWidget* list = ListOf(hWnd);
        QTreeWidgetItem* item = list->Row(nItem);
        return item ? ListWidget::StateOf(item, list->currentItem()) & nMask : 0;
    });
}

UINT CListCtrl::GetSelectedCount() const {
    return detail::OnUi<UINT>(
        this, 0, [](HWND hWnd) { return static_cast<UINT>(ListOf(hWnd)->selectedItems().size()); });
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
    detail::MergeSort(rows, before);

    QTreeWidgetItem* current = list.currentItem();
    QTreeWidgetItem* hot = list.m_pHotItem;
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
    list.m_pHotItem = hot;
    list.viewport()->update();
}

} // namespace

BOOL CListCtrl::SortItems(PFNLVCOMPARE pfnCompare, DWORD_PTR dwData) {
    if (!pfnCompare) {
        return FALSE;
    }
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        const auto dataOf = [](QTreeWidgetItem* item) {
            return static_cast<LPARAM>(item->data(0, detail::kItemDataRole).toLongLong());
        };
        SortRowsInPlace(*ListOf(hWnd), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
            return pfnCompare(dataOf(a), dataOf(b), static_cast<LPARAM>(dwData)) < 0;
        });
        return TRUE;
    });
}

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
        const int previous = list->IndexOf(list->m_pHotItem);
        list->m_pHotItem = list->Row(nIndex);
        list->viewport()->update();
        return previous;
    });
}

int CListCtrl::GetHotItem() const {
    return detail::OnUi(this, -1, [](HWND hWnd) {
        ListWidget* list = ListOf(hWnd);
        return list->IndexOf(list->m_pHotItem);
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

BOOL CListCtrl::EnsureVisible(int nItem, BOOL) {
    return detail::OnUi<BOOL>(this, FALSE, [&](HWND hWnd) -> BOOL {
        ListWidget* list = ListOf(hWnd);
        QTreeWidgetItem* item = list->Row(nItem);
        if (!item) {
            return FALSE;
        }
        list->scrollToItem(item);
        return TRUE;
    });
}

bool CListCtrl::FitsControl(const HWND hWnd) const {
    return hWnd->kind == ControlClass::ListView;
}

} // namespace nodescout
