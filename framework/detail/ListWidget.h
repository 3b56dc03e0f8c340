#pragma once

// The widget behind a list view in report view: a QTreeWidget with one
// top-level item per row, which keeps the Windows state (item data, the
// LVIS_ states last reported, the hot row) and reports its changes to the
// dialog as list-view notifications.

#include "framework/detail/Window.h"

#include <QHeaderView>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QToolTip>
#include <QTreeWidget>

#include <cstdint>

namespace nodescout::detail {

// A stamp no list has had: they are counted for all lists together.
inline std::uint64_t NextChangeStamp() {
    static std::uint64_t s_lastStamp = 0; // UI thread only
    return ++s_lastStamp;
}

inline constexpr int kItemDataRole = Qt::UserRole;
inline constexpr int kStateRole = Qt::UserRole + 1; // the LVIS_ state last reported

class ListWidget : public QTreeWidget, public WindowLink {
public:
    // Several rows can be selected, always as whole rows; LVS_EDITLABELS
    // lets the user start editing a row's label. Framed: lists have WS_BORDER.
    ListWidget(HWND hWnd, QWidget* parent) : QTreeWidget(parent), WindowLink(hWnd) {
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setSelectionMode(QAbstractItemView::ExtendedSelection);
        setAllColumnsShowFocus(true);
        setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
        setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
        setEditTriggers((hWnd->style & LVS_EDITLABELS) ? (QAbstractItemView::SelectedClicked |
                                                          QAbstractItemView::EditKeyPressed)
                                                       : QAbstractItemView::NoEditTriggers);
        setColumnCount(0);
        header()->setStretchLastSection(false);
        header()->setSectionsMovable(false);
        header()->setSectionsClickable(true);
        QObject::connect(header(), &QHeaderView::sectionClicked, [this](int column) {
            NMLISTVIEW click;
            click.hdr.code = LVN_COLUMNCLICK;
            click.iSubItem = column;
            NotifyParent(Hwnd(), click.hdr);
        });
        QObject::connect(this, &QTreeWidget::itemSelectionChanged, [this] { ReportStates(); });
        QObject::connect(this, &QTreeWidget::currentItemChanged, [this] { ReportStates(); });
    }

    void SetText(const QString& text) override { m_text = text; }
    QString Text() const override { return m_text; }

    QTreeWidgetItem* Row(int index) const {
        return index >= 0 && index < topLevelItemCount() ? topLevelItem(index) : nullptr;
    }

    int IndexOf(const QTreeWidgetItem* item) const {
        return item ? indexOfTopLevelItem(const_cast<QTreeWidgetItem*>(item)) : -1;
    }

    static UINT StateOf(const QTreeWidgetItem* item, const QTreeWidgetItem* current) {
        return (item->isSelected() ? LVIS_SELECTED : 0u) | (item == current ? LVIS_FOCUSED : 0u);
    }

    // Reports every row whose selection or focus changed, as LVN_ITEMCHANGED.
    void ReportStates() {
        const QTreeWidgetItem* current = currentItem();
        for (int index = 0; index < topLevelItemCount(); ++index) {
            QTreeWidgetItem* item = topLevelItem(index);
            const UINT oldState = item->data(0, kStateRole).toUInt();
            const UINT newState = StateOf(item, current);
            if (oldState != newState) {
                item->setData(0, kStateRole, newState);
                NotifyItemChanged(index, oldState, newState);
            }
        }
    }

    void NotifyItemChanged(int index, UINT oldState, UINT newState) {
        NMLISTVIEW change;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = index;
        change.uOldState = oldState;
        change.uNewState = newState;
        NotifyParent(Hwnd(), change.hdr);
    }

    // Changes that Windows does not report as item changes (rows added,
    // removed or reordered): the list's signals are blocked meanwhile. They
    // leave every row's state as it was, except that Qt may move the focus
    // to another row, which is recorded quietly.
    class Quiet {
    public:
        explicit Quiet(ListWidget& list)
            : m_list(list), m_signals(list), m_focusBefore(list.currentIndex()) {}
        ~Quiet() {
            QTreeWidgetItem* current = m_list.currentItem();
            for (QTreeWidgetItem* item : {m_list.itemFromIndex(m_focusBefore), current}) {
                if (item) {
                    item->setData(0, kStateRole, StateOf(item, current));
                }
            }
        }

    private:
        ListWidget& m_list;
        QSignalBlocker m_signals;
        QPersistentModelIndex m_focusBefore;
    };

    DWORD m_extendedStyle = 0;
    QTreeWidgetItem* m_hotItem = nullptr;
    // See CListCtrl::GetChangeStamp. Rows and texts change only through
    // CListCtrl (the user's label edits are discarded), which renews it.
    std::uint64_t m_changeStamp = NextChangeStamp();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QTreeWidget::mouseDoubleClickEvent(event);
        NMITEMACTIVATE activate;
        activate.hdr.code = NM_DBLCLK;
        activate.iItem = IndexOf(itemAt(event->position().toPoint()));
        NotifyParent(Hwnd(), activate.hdr);
    }

    bool viewportEvent(QEvent* event) override {
        if (event->type() == QEvent::ToolTip && (m_extendedStyle & LVS_EX_INFOTIP)) {
            ShowInfoTip(static_cast<QHelpEvent*>(event));
            return true;
        }
        return QTreeWidget::viewportEvent(event);
    }

    // The hot row: marked with the highlight colour, its texts underlined.
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override {
        QStyleOptionViewItem look(option);
        if (m_hotItem && itemFromIndex(index) == m_hotItem) {
            QColor mark = option.palette.color(QPalette::Highlight);
            mark.setAlpha(60);
            // The columns' part of the row only, as the cells would draw it.
            painter->fillRect(QRect(-header()->offset(), option.rect.top(), header()->length(),
                                    option.rect.height()),
                              mark);
            look.font.setUnderline(true);
        }
        QTreeWidget::drawRow(painter, look, index);
    }

    // A label edit ends without changing the row: the program accepts none
    // (its rows are edited through its own dialog).
    void commitData(QWidget*) override {}

    // A click anywhere on a selected row edits its label, as on Windows with
    // full-row select; only the first column has one.
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override {
        return QTreeWidget::edit(index.siblingAtColumn(0), trigger, event); // invalid stays invalid
    }

private:
    QString m_text;

    // An info tip shows what the dialog gives for the row (LVN_GETINFOTIP)
    // or else a cell's whole text when the column cuts it.
    void ShowInfoTip(const QHelpEvent* help) {
        const QModelIndex index = indexAt(help->pos());
        char asked[1024] = {};
        if (index.isValid()) {
            NMLVGETINFOTIP ask{.hdr = {.code = LVN_GETINFOTIP},
                               .pszText = asked,
                               .cchTextMax = static_cast<int>(sizeof asked),
                               .iItem = index.row(),
                               .iSubItem = index.column()};
            NotifyParent(Hwnd(), ask.hdr);
            asked[sizeof asked - 1] = '\0'; // a handler that filled it all
        }
        QString text = ToQt(asked);
        const QString cell = index.data(Qt::DisplayRole).toString(); // empty off the rows
        if (text.isEmpty() &&
            fontMetrics().horizontalAdvance(cell) + 8 > visualRect(index).width()) {
            text = cell;
        }
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index)); // none: hidden
    }
};

inline ListWidget* ListOf(HWND hWnd) {
    return dynamic_cast<ListWidget*>(WidgetOf(hWnd));
}

} // namespace nodescout::detail
