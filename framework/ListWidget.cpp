// The list view's widget: its delegate (the hot row, the selection in the
// first column only, label editing) and its info tips.

#include "framework/detail/ListWidget.h"

#include <QHelpEvent>
#include <QLineEdit>
#include <QPainter>
#include <QToolTip>

namespace nodescout::detail {

namespace {

bool ChangesText(const QList<int>& roles) {
    return roles.isEmpty() || roles.contains(Qt::DisplayRole) || roles.contains(Qt::EditRole);
}

} // namespace

std::uint64_t NextChangeStamp() {
    static std::uint64_t s_lastStamp = 0; // UI thread only
    return ++s_lastStamp;
}

ListWidget::~ListWidget() {
    // QTreeWidget empties its model as it goes, after this part of the
    // object is gone: the stamp must not be touched then.
    QObject::disconnect(model(), nullptr, this, nullptr);
}

void ListWidget::WatchChanges() {
    QAbstractItemModel* rows = model();
    const auto changed = [this] { m_changeStamp = NextChangeStamp(); };
    QObject::connect(rows, &QAbstractItemModel::rowsInserted, this, changed);
    QObject::connect(rows, &QAbstractItemModel::rowsRemoved, this, changed);
    QObject::connect(rows, &QAbstractItemModel::rowsMoved, this, changed);
    QObject::connect(rows, &QAbstractItemModel::layoutChanged, this, changed);
    QObject::connect(rows, &QAbstractItemModel::modelReset, this, changed);
    QObject::connect(rows, &QAbstractItemModel::dataChanged, this,
                     [changed](const QModelIndex&, const QModelIndex&, const QList<int>& roles) {
                         if (ChangesText(roles)) {
                             changed();
                         }
                     });
}

ListDelegate::ListDelegate(ListWidget* list) : QStyledItemDelegate(list), m_list(list) {}

void ListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    QStyleOptionViewItem look(option);
    const bool fullRow = (m_list->m_extendedStyle & LVS_EX_FULLROWSELECT) != 0;
    if (!fullRow && index.column() > 0) {
        look.state &= ~QStyle::State_Selected;
        look.state &= ~QStyle::State_HasFocus;
    }
    if (m_list->m_hotItem && m_list->itemFromIndex(index) == m_list->m_hotItem) {
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

void ListWidget::ShowInfoTip(const QHelpEvent* help) {
    const QModelIndex index = indexAt(help->pos());
    if (!index.isValid()) {
        QToolTip::hideText();
        return;
    }
    QString text = AskedInfoTip(index);
    if (text.isEmpty()) {
        text = index.data(Qt::DisplayRole).toString();
        const int needed = fontMetrics().horizontalAdvance(text) + 8;
        if (needed <= visualRect(index).width()) {
            text.clear();
        }
    }
    if (text.isEmpty()) {
        QToolTip::hideText();
    } else {
        QToolTip::showText(help->globalPos(), text, viewport(), visualRect(index));
    }
}

QString ListWidget::AskedInfoTip(const QModelIndex& index) const {
    char buffer[1024] = {};
    NMLVGETINFOTIP ask;
    ask.hdr.code = LVN_GETINFOTIP;
    ask.pszText = buffer;
    ask.cchTextMax = static_cast<int>(sizeof buffer);
    ask.iItem = index.row();
    ask.iSubItem = index.column();
    if (QTreeWidgetItem* item = Row(index.row())) {
        ask.lParam = static_cast<LPARAM>(item->data(0, kItemDataRole).toLongLong());
    }
    NotifyParent(Hwnd(), ask.hdr);
    buffer[sizeof buffer - 1] = '\0'; // a handler that filled it all
    return ToQt(buffer);
}

QWidget* CreateListView(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    auto* list = new ListWidget(hWnd, parent);
    list->setFocusPolicy(Qt::StrongFocus);
    list->ApplyStyles();
    return list;
}

} // namespace nodescout::detail
