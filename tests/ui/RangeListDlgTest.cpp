// The IP range list as "Retr All" uses it: the opener's table and addresses
// shown, "Add", "Edit", "Remove" and row clicks on the list, the table handed
// back by OK within its 100 entries of 1024 characters, and nothing changed
// by Cancel. With NODESCOUT_GRAB_DIR set, the dialog with a few rows is also
// saved there as a PNG to look at.

#include "tests/support/GuiTest.h"
#include "tests/support/UiTest.h"

#include "store/Settings.h"
#include "ui/RangeListDlg.h"

#include <QDir>
#include <QPixmap>
#include <QTreeWidget>
#include <QtTest/QTest>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace nodescout::ui_test {
namespace {

using Pair = std::pair<std::string, std::string>;
using Rows = std::vector<Pair>;

// Ranges 198.18.0.i - 198.18.1.i for i = 0 .. count - 1.
Rows SampleRanges(int count) {
    Rows ranges;
    for (int i = 0; i < count; ++i) {
        ranges.emplace_back("198.18.0." + std::to_string(i), "198.18.1." + std::to_string(i));
    }
    return ranges;
}

// What "Retr All" does before the run: the current addresses and the table.
void FillAsOpener(CRangeListDlg& dialog, int count) {
    dialog.m_strIP1 = "198.18.2.1";
    dialog.m_strIP2 = "198.18.2.50";
    dialog.m_nRangeCount = count;
    const Rows ranges = SampleRanges(count);
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        dialog.m_Ranges[i].start = ranges[i].first;
        dialog.m_Ranges[i].end = ranges[i].second;
    }
}

Rows TableOf(const CRangeListDlg& dialog) {
    Rows ranges;
    for (int i = 0; i < dialog.m_nRangeCount; ++i) {
        const IpRange& range = dialog.m_Ranges[static_cast<std::size_t>(i)];
        ranges.emplace_back(range.start.View(), range.end.View());
    }
    return ranges;
}

Rows RowsOf(const CListCtrl& list) {
    Rows rows;
    for (int i = 0; i < list.GetItemCount(); ++i) {
        rows.emplace_back(list.GetItemText(i, 0), list.GetItemText(i, 1));
    }
    return rows;
}

std::vector<int> SelectedRows(const CListCtrl& list) {
    std::vector<int> rows;
    for (int i = list.GetNextItem(-1, LVNI_SELECTED); i != -1;
         i = list.GetNextItem(i, LVNI_SELECTED)) {
        rows.push_back(i);
    }
    return rows;
}

Pair FieldsOf(const CDialog& open) {
    return {TextOf(open, IDC_IP1), TextOf(open, IDC_IP2)};
}

void Type(CDialog& open, const std::string& start, const std::string& end) {
    open.SetDlgItemText(IDC_IP1, start);
    open.SetDlgItemText(IDC_IP2, end);
}

void Press(CDialog& open, int nID) {
    ButtonOf(open, nID).Click();
}

// A left click on a row, as the user makes it.
void ClickRow(const CListCtrl& list, int row) {
    auto* tree = dynamic_cast<QTreeWidget*>(list.GetQtWidget());
    ASSERT_NE(tree, nullptr);
    const QPoint centre = tree->visualItemRect(tree->topLevelItem(row)).center();
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, centre);
}

void GrabIfAsked(CDialog& open, const char* name) {
    if (const char* grabDir = std::getenv("NODESCOUT_GRAB_DIR")) {
        const QString path = QDir(grabDir).filePath(QString(name) + ".png");
        EXPECT_TRUE(open.GetQtWidget()->grab().save(path)) << path.toStdString();
    }
}

using RangeListDlgTest = UiTest;

TEST_F(RangeListDlgTest, OpensWithTheOpenersTableAndAddressesAndOkHandsThemBack) {
    CRangeListDlg dialog;
    FillAsOpener(dialog, 3);
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& open) {
        const CListCtrl& list = dialog.m_RangeList;
        QTreeWidget* tree = test::TreeOf(list);
        EXPECT_TRUE(tree->allColumnsShowFocus()); // LVS_EX_FULLROWSELECT
        ASSERT_EQ(tree->columnCount(), 2);
        EXPECT_EQ(tree->headerItem()->text(0), "IP1");
        EXPECT_EQ(tree->headerItem()->text(1), "IP2");
        EXPECT_EQ(tree->header()->sectionSize(0), 100);
        EXPECT_EQ(tree->header()->sectionSize(1), 100);
        EXPECT_EQ(RowsOf(list), SampleRanges(3));
        EXPECT_TRUE(tree->selectedItems().isEmpty());
        EXPECT_EQ(FieldsOf(open), Pair("198.18.2.1", "198.18.2.50"));
        // The opener copies the fields into 1024-character buffers.
        for (int nID : {IDC_IP1, IDC_IP2}) {
            const std::string opened = TextOf(open, nID);
            test::Paste(EditOf(open, nID), QString(2000, '1'));
            EXPECT_EQ(TextOf(open, nID), std::string(1023, '1'));
            EditOf(open, nID).SetWindowText(opened);
        }
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(TableOf(dialog), SampleRanges(3));
    EXPECT_EQ(dialog.m_strIP1, "198.18.2.1");
    EXPECT_EQ(dialog.m_strIP2, "198.18.2.50");

    // An empty table opens an empty list, and OK hands back a count of 0.
    CRangeListDlg empty;
    FillAsOpener(empty, 0);
    empty.m_Ranges[0].start = "198.18.3.1"; // left over beyond the count
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& open) {
        EXPECT_EQ(empty.m_RangeList.GetItemCount(), 0);
        EXPECT_EQ(TextOf(open, IDC_IP1), "198.18.2.1");
    });
    ASSERT_EQ(empty.DoModal(), IDOK);
    EXPECT_EQ(empty.m_nRangeCount, 0);

    // A count outside the table opens only what the table holds.
    for (const auto& [nCount, nRows] : {std::pair{-1, 0}, std::pair{kMaxRanges + 1, kMaxRanges}}) {
        CRangeListDlg odd;
        FillAsOpener(odd, kMaxRanges);
        odd.m_nRangeCount = nCount;
        UiTestSeam::QueueModalAnswer(IDOK);
        ASSERT_EQ(odd.DoModal(), IDOK);
        EXPECT_EQ(odd.m_nRangeCount, nRows);
    }
}

TEST_F(RangeListDlgTest, AddAppendsWhatIsTypedAndOkHandsBackTheRowsAndTheFields) {
    CRangeListDlg dialog;
    FillAsOpener(dialog, 2);
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& open) {
        Type(open, "", "");
        Press(open, IDC_ADD);
        Type(open, "198.18.9.1", "not an address");
        Press(open, IDC_ADD);
        // A selected row fills the fields; what is typed afterwards is what OK keeps.
        ClickRow(dialog.m_RangeList, 0);
        Type(open, "198.18.4.1", "198.18.4.9");
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    Rows expected = SampleRanges(2);
    expected.emplace_back("", "");
    expected.emplace_back("198.18.9.1", "not an address");
    EXPECT_EQ(TableOf(dialog), expected);
    EXPECT_EQ(dialog.m_strIP1, "198.18.4.1");
    EXPECT_EQ(dialog.m_strIP2, "198.18.4.9");
}

TEST_F(RangeListDlgTest, ClickingARowShowsItAndEditWritesTheTypedPairIntoBothColumns) {
    CRangeListDlg dialog;
    FillAsOpener(dialog, 3);
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& open) {
        CListCtrl& list = dialog.m_RangeList;
        Type(open, "typed", "typed");
        ClickRow(list, 1);
        EXPECT_EQ(FieldsOf(open), SampleRanges(3)[1]);
        GrabIfAsked(open, "range-list");

        Type(open, "198.18.5.1", "198.18.5.9");
        Press(open, IDC_EDIT);
        const Pair typed{"198.18.5.1", "198.18.5.9"};
        EXPECT_EQ(RowsOf(list)[1], typed);
        EXPECT_EQ(FieldsOf(open), typed);
        EXPECT_EQ(SelectedRows(list), std::vector<int>{1});

        // With several rows selected, the lowest is the one shown and edited.
        test::SelectRows(list, {1, 2, 0});
        EXPECT_EQ(FieldsOf(open), SampleRanges(3)[0]);
        Type(open, "198.18.6.1", "198.18.6.9");
        Press(open, IDC_EDIT);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(
        TableOf(dialog),
        (Rows{{"198.18.6.1", "198.18.6.9"}, {"198.18.5.1", "198.18.5.9"}, SampleRanges(3)[2]}));
}

TEST_F(RangeListDlgTest, RemoveDeletesTheFirstSelectedRowOnlyAndNeedsASelection) {
    CRangeListDlg dialog;
    FillAsOpener(dialog, 7);
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& open) {
        CListCtrl& list = dialog.m_RangeList;
        // Nothing selected: "Edit" and "Remove" change neither the list nor the fields.
        Type(open, "a", "b");
        Press(open, IDC_EDIT);
        Press(open, IDC_REMOVE);
        EXPECT_EQ(RowsOf(list), SampleRanges(7));
        EXPECT_EQ(FieldsOf(open), Pair("a", "b"));

        test::SelectRows(list, {2, 5});
        Type(open, "c", "d");
        Press(open, IDC_REMOVE);
        Rows expected = SampleRanges(7);
        expected.erase(expected.begin() + 2);
        EXPECT_EQ(RowsOf(list), expected);
        EXPECT_EQ(SelectedRows(list), std::vector<int>{4}) << "the other row stays selected";
        EXPECT_EQ(FieldsOf(open), Pair("c", "d"));
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nRangeCount, 6);
}

TEST_F(RangeListDlgTest, EnterStaysInTheFieldsAndCancelChangesNoMember) {
    CRangeListDlg dialog;
    FillAsOpener(dialog, 3);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog& open) {
        Type(open, "198.18.7.1", "198.18.7.9");
        PressKeyIn(open, IDC_IP1, Qt::Key_Return);
        PressKeyIn(open, IDC_IP2, Qt::Key_Enter);
        EXPECT_EQ(FieldsOf(open), Pair("198.18.7.1", "198.18.7.9"));
        Press(open, IDC_ADD);
        ClickRow(dialog.m_RangeList, 0);
        Press(open, IDC_EDIT);
        Press(open, IDC_REMOVE);
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL) << "Enter in a field ended the dialog";
    EXPECT_EQ(TableOf(dialog), SampleRanges(3));
    EXPECT_EQ(Pair(dialog.m_strIP1, dialog.m_strIP2), Pair("198.18.2.1", "198.18.2.50"));
}

TEST_F(RangeListDlgTest, TheListStopsAtAHundredRangesOfTenTwentyThreeCharacters) {
    CRangeListDlg dialog;
    FillAsOpener(dialog, kMaxRanges - 1);
    // A text longer than a table field, as an opener may hand one over.
    dialog.m_strIP1 = std::string(1500, '1');
    UiTestSeam::QueueMessageBoxAnswer(IDOK);
    UiTestSeam::QueueModalAnswer(IDOK, [&](CDialog& open) {
        Press(open, IDC_ADD);
        Type(open, "198.18.8.1", "198.18.8.9");
        Press(open, IDC_ADD);
        EXPECT_EQ(dialog.m_RangeList.GetItemCount(), kMaxRanges);
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nRangeCount, kMaxRanges);
    const IpRange& last = dialog.m_Ranges[kMaxRanges - 1];
    EXPECT_EQ(last.start.View(), std::string(1023, '1'));
    EXPECT_EQ(last.end.View(), "198.18.2.50");

    const std::vector<ShownMessageBox> boxes = UiTestSeam::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_NE(boxes[0].text.find("100 ranges"), std::string::npos) << boxes[0].text;
    EXPECT_EQ(boxes[0].caption, "Nodescout");
    EXPECT_EQ(boxes[0].type, MB_OK | MB_ICONINFORMATION);
}

} // namespace
} // namespace nodescout::ui_test
