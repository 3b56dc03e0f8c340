// The report-view list: rows, item data, the change stamp, selection,
// sorting, the hot item, scrolling, label editing, notifications and the
// state without a window.

#include "tests/support/GuiTest.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <cstdint>
#include <utility>

namespace nodescout::test {
namespace {

class ListCtrlTest : public GuiTest {
protected:
    // Runs body on the open sample dialog with its list bound to m_List and
    // filled with rows "r0".."r<count-1>" whose item data is 100 + index.
    void WithList(int count, const std::function<void(TestDialog&, CListCtrl&)>& body) {
        TestDialog dialog(IDD_SAMPLE_RANGE);
        dialog.exchange = [&](CDataExchange* pDX) { DDX_Control(pDX, IDC_LIST, dialog.m_List); };
        dialog.onInit = [count](TestDialog& open) {
            CListCtrl& list = open.m_List;
            list.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
            list.InsertColumn(0, "IP1", LVCFMT_LEFT, 100);
            list.InsertColumn(1, "IP2", LVCFMT_LEFT, 100);
            for (int i = 0; i < count; ++i) {
                const int row = list.InsertItem(i, ("r" + std::to_string(i)).c_str());
                list.SetItemText(row, 1, ("s" + std::to_string(i)).c_str());
                list.SetItemData(row, static_cast<DWORD_PTR>(100 + i));
            }
            open.calls.clear();
        };
        UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) { body(dialog, dialog.m_List); });
        dialog.DoModal();
    }
};

std::vector<std::string> Column(CListCtrl& list, int column) {
    std::vector<std::string> texts;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        texts.push_back(list.GetItemText(i, column));
    }
    return texts;
}

std::vector<int> Selected(CListCtrl& list) {
    std::vector<int> rows;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i != -1;
         i = list.GetNextItem(i, LVNI_SELECTED)) {
        rows.push_back(i);
    }
    return rows;
}

// SortItemsEx hands over row indices; the rows stay put while it compares.
const CListCtrl* g_pSortedList = nullptr;

int CompareData(LPARAM a, LPARAM b, LPARAM descending) {
    const int order = static_cast<int>(g_pSortedList->GetItemData(static_cast<int>(a))) -
                      static_cast<int>(g_pSortedList->GetItemData(static_cast<int>(b)));
    return descending ? -order : order;
}

TEST_F(ListCtrlTest, RowsColumnsItemDataAndStyles) {
    WithList(3, [](TestDialog&, CListCtrl& list) {
        QTreeWidget* tree = TreeOf(list);
        EXPECT_TRUE(tree->allColumnsShowFocus()); // LVS_EX_FULLROWSELECT
        EXPECT_EQ(tree->columnCount(), 2);
        EXPECT_EQ(tree->header()->sectionSize(1), 100);
        EXPECT_EQ(list.InsertItem(99, "end"), 3); // past the end appends
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"r0", "r1", "r2", "end"}));
        EXPECT_EQ(list.GetItemData(2), 102u);
        list.SetItemData(3, static_cast<DWORD_PTR>(-7));
        EXPECT_EQ(static_cast<int>(list.GetItemData(3)), -7);
        EXPECT_TRUE(list.DeleteItem(0));
        EXPECT_FALSE(list.DeleteItem(7));
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"s1", "s2", ""}));
        EXPECT_EQ(list.GetItemData(0), 101u); // item data moves with its row
        // The hot row is marked across its columns.
        list.SetHotItem(1);
        const QImage image = tree->viewport()->grab().toImage();
        const auto at = [&](int row) {
            return image.pixel(190, tree->visualItemRect(tree->topLevelItem(row)).center().y());
        };
        EXPECT_NE(at(1), at(0));
        EXPECT_EQ(at(0), at(2));
    });
}

TEST_F(ListCtrlTest, TheChangeStampMovesWithRowsAndTextsOnly) {
    WithList(3, [](TestDialog&, CListCtrl& list) {
        std::uint64_t stamp = list.GetChangeStamp();
        const auto changed = [&] {
            const std::uint64_t before = std::exchange(stamp, list.GetChangeStamp());
            return stamp != before;
        };
        list.SetItemText(1, 1, "s1"); // the text it has
        list.SetItemData(1, 5);
        SelectRows(list, {0, 2});
        list.SetHotItem(2);
        EXPECT_FALSE(changed());
        list.SetItemText(1, 1, "new");
        EXPECT_TRUE(changed());
        list.InsertItem(0, "first");
        EXPECT_TRUE(changed());
        list.DeleteItem(3);
        EXPECT_TRUE(changed());
        list.SortItemsEx([](LPARAM a, LPARAM b, LPARAM) { return static_cast<int>(b - a); }, 0);
        EXPECT_TRUE(changed());
        CListCtrl other;
        EXPECT_EQ(other.GetChangeStamp(), 0u);
    });
}

TEST_F(ListCtrlTest, SeveralRowsSelectedAndFoundInIndexOrder) {
    WithList(6, [](TestDialog& dialog, CListCtrl& list) {
        QTreeWidget* tree = TreeOf(list);
        EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
        tree->topLevelItem(4)->setSelected(true);
        tree->setCurrentItem(tree->topLevelItem(1), 0, QItemSelectionModel::Select);
        EXPECT_EQ(Selected(list), (std::vector<int>{1, 4}));
        EXPECT_EQ(list.GetNextItem(1, LVNI_ALL), 2);
        // Each change was told to the dialog as LVN_ITEMCHANGED.
        EXPECT_EQ(dialog.calls, (std::vector<std::string>{"OnListItemChanged 4 0->2",
                                                          "OnListItemChanged 1 0->3"}));
        // Deleting the first selected row until none is left ("Clear").
        for (int row; (row = list.GetNextItem(-1, LVNI_SELECTED)) != -1;) {
            list.DeleteItem(row);
        }
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"r0", "r2", "r3", "r5"}));
        // A user's Ctrl+click adds to the selection.
        const QPoint second = tree->visualItemRect(tree->topLevelItem(1)).center();
        const QPoint fourth = tree->visualItemRect(tree->topLevelItem(3)).center();
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, second);
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::ControlModifier, fourth);
        EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
    });
}

TEST_F(ListCtrlTest, SortingUsesTheCallbackAndKeepsSelectionAndHotItemWithTheirRows) {
    WithList(5, [](TestDialog&, CListCtrl& list) {
        list.SetItemData(0, 30);
        list.SetItemData(1, 10);
        list.SetItemData(2, 50);
        list.SetItemData(3, 20);
        list.SetItemData(4, 40);
        SelectRows(list, {2});
        EXPECT_EQ(list.SetHotItem(0), -1);
        g_pSortedList = &list;
        ASSERT_TRUE(list.SortItemsEx(CompareData, 0));
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"r1", "r3", "r0", "r4", "r2"}));
        EXPECT_EQ(Selected(list), (std::vector<int>{4}));
        EXPECT_EQ(HotItemOf(list), 2);
        list.SortItemsEx(CompareData, 1);
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"r2", "r4", "r0", "r3", "r1"}));
        // A comparison that is no order at all must not break the list.
        list.SortItemsEx([](LPARAM, LPARAM, LPARAM) { return -1; }, 0);
        EXPECT_EQ(list.GetItemCount(), 5);
        // The hot row goes with a deleted row; Qt's own header sorting stays off.
        list.DeleteItem(HotItemOf(list));
        EXPECT_EQ(HotItemOf(list), -1);
        EXPECT_FALSE(dynamic_cast<QTreeWidget*>(list.GetQtWidget())->isSortingEnabled());
    });
}

TEST_F(ListCtrlTest, SortItemsExComparesRowsByTheirIndexBeforeTheSort) {
    WithList(5, [](TestDialog&, CListCtrl& list) {
        // Equal item data everywhere: only the index tells the rows apart.
        const char* keys[] = {"c", "a", "e", "b", "d"};
        for (int i = 0; i < 5; ++i) {
            list.SetItemData(i, 7);
            list.SetItemText(i, 1, keys[i]);
        }
        QTreeWidget* tree = TreeOf(list);
        tree->setCurrentItem(tree->topLevelItem(2)); // focused and selected
        list.SetHotItem(1);
        // The comparison reads the list itself: the rows stay put until it is done.
        static CListCtrl* sorted = nullptr;
        static bool indexOutOfRange = false;
        sorted = &list;
        const auto byKey = [](LPARAM a, LPARAM b, LPARAM descending) {
            indexOutOfRange |= a < 0 || a >= 5 || b < 0 || b >= 5;
            const int order = sorted->GetItemText(static_cast<int>(a), 1)
                                  .compare(sorted->GetItemText(static_cast<int>(b), 1));
            return descending ? -order : order;
        };
        ASSERT_TRUE(list.SortItemsEx(byKey, 0));
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"a", "b", "c", "d", "e"}));
        EXPECT_EQ(Column(list, 0), (std::vector<std::string>{"r1", "r3", "r0", "r4", "r2"}));
        EXPECT_EQ(Selected(list), (std::vector<int>{4}));
        EXPECT_EQ(tree->indexOfTopLevelItem(tree->currentItem()), 4);
        EXPECT_EQ(HotItemOf(list), 0);
        ASSERT_TRUE(list.SortItemsEx(byKey, 1));
        EXPECT_EQ(Column(list, 1), (std::vector<std::string>{"e", "d", "c", "b", "a"}));
        EXPECT_FALSE(indexOutOfRange);
        EXPECT_FALSE(list.SortItemsEx(nullptr, 0));
    });
    CListCtrl unbound;
    EXPECT_FALSE(unbound.SortItemsEx([](LPARAM, LPARAM, LPARAM) { return 0; }, 0));
}

TEST_F(ListCtrlTest, ColumnClickAndDoubleClickReachTheMessageTable) {
    WithList(3, [](TestDialog& dialog, CListCtrl& list) {
        auto* tree = dynamic_cast<QTreeWidget*>(list.GetQtWidget());
        QHeaderView* header = tree->header();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(header->sectionPosition(1) + 5, header->height() / 2));
        const QPoint row = tree->visualItemRect(tree->topLevelItem(2)).center();
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, row);
        QTest::mouseDClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier,
                           QPoint(5, tree->viewport()->height() - 3));
        std::vector<std::string> notifications;
        for (const std::string& call : dialog.calls) {
            if (call.rfind("OnListItemChanged", 0) != 0) {
                notifications.push_back(call);
            }
        }
        EXPECT_EQ(notifications, (std::vector<std::string>{"OnListColumnClick 1", "OnListDblClk 2",
                                                           "OnListDblClk -1"}));
    });
}

TEST_F(ListCtrlTest, LabelEditsOfAnyColumnEditTheFirstAndAreDiscardedWhenTheyEnd) {
    WithList(2, [](TestDialog& dialog, CListCtrl& list) {
        auto* tree = dynamic_cast<QTreeWidget*>(list.GetQtWidget());
        auto editLabel = [&](int row, int column, const char* text) {
            tree->editItem(tree->topLevelItem(row), column);
            auto* editor = tree->viewport()->findChild<QLineEdit*>();
            ASSERT_NE(editor, nullptr);
            EXPECT_EQ(editor->text().toStdString(), "r" + std::to_string(row));
            editor->setText(text);
            PressKey(editor, Qt::Key_Return); // ends the edit, and only the edit
            QCoreApplication::processEvents();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            EXPECT_EQ(tree->viewport()->findChild<QLineEdit*>(), nullptr);
        };
        tree->setCurrentItem(tree->topLevelItem(1));
        dialog.calls.clear();
        const std::uint64_t stamp = list.GetChangeStamp();
        editLabel(1, 0, "edited");
        EXPECT_EQ(list.GetItemText(1, 0), "r1");
        EXPECT_TRUE(dialog.calls.empty());
        EXPECT_NE(dialog.GetSafeHwnd(), nullptr);
        // Asked to edit another column, the list edits the row's label.
        editLabel(0, 1, "dropped");
        EXPECT_EQ(list.GetItemText(0, 0), "r0");
        EXPECT_EQ(list.GetItemText(0, 1), "s0");
        EXPECT_EQ(list.GetChangeStamp(), stamp);
    });
}

TEST_F(ListCtrlTest, ScrollMovesByWholeRowsAndItemRectsCountTheHeader) {
    WithList(40, [](TestDialog&, CListCtrl& list) {
        auto* tree = dynamic_cast<QTreeWidget*>(list.GetQtWidget());
        CRect first;
        ASSERT_TRUE(list.GetItemRect(0, &first, LVIR_BOUNDS));
        const int rowHeight = first.Height();
        EXPECT_EQ(first.top, tree->header()->height());
        EXPECT_EQ(first.left, 0);
        EXPECT_EQ(first.Width(), 200);
        list.Scroll(CSize{0, rowHeight * 3 + rowHeight / 2 + 1}); // 3.5 rows round to 4
        EXPECT_EQ(tree->indexOfTopLevelItem(tree->itemAt(QPoint(5, 1))), 4);
        // Scrolling by the new last row's bottom brings it into view.
        const int last = list.InsertItem(list.GetItemCount(), "newest");
        CRect rect;
        list.GetItemRect(last, &rect, LVIR_BOUNDS);
        list.Scroll(CSize{0, rect.bottom});
        list.GetItemRect(last, &rect, LVIR_BOUNDS);
        CRect client;
        list.GetClientRect(&client);
        EXPECT_LE(rect.bottom, client.bottom);
        EXPECT_GE(rect.top, tree->header()->height());
        EXPECT_FALSE(list.GetItemRect(99, &rect, LVIR_BOUNDS));
    });
}

TEST_F(ListCtrlTest, WithoutAWindowEveryCallDoesNothing) {
    CListCtrl list;
    EXPECT_EQ(list.GetSafeHwnd(), nullptr);
    EXPECT_EQ(list.InsertColumn(0, "No."), -1);
    EXPECT_EQ(list.InsertItem(0, "1"), -1);
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_FALSE(list.SetItemText(0, 1, "x"));
    EXPECT_EQ(list.GetItemText(0, 0), "");
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), -1);
    EXPECT_EQ(list.SetHotItem(0), -1);
    EXPECT_FALSE(list.Scroll(CSize{0, 10}));
    EXPECT_FALSE(list.SortItemsEx(CompareData, 0));
    // The same after the dialog that held it has gone.
    TestDialog dialog(IDD_SAMPLE_RANGE);
    dialog.exchange = [&](CDataExchange* pDX) { DDX_Control(pDX, IDC_LIST, dialog.m_List); };
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog&) {});
    dialog.DoModal();
    EXPECT_EQ(dialog.m_List.InsertItem(0, "late"), -1);
    EXPECT_EQ(dialog.m_List.GetItemCount(), 0);
}

} // namespace
} // namespace nodescout::test
