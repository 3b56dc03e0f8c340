// The result list's rules on a real list control: numbering, the "+N" and
// "-N" marks, matching by exact MAC text, sequence numbers after removals,
// the scroll to a new row, sorting by every column both ways, reports of the
// same new host from several workers at once, and the MAC index against a
// plain search through random changes.

#include "tests/support/GuiTest.h"
#include "tests/support/UiTest.h"

#include "ui/ResultList.h"
#include "ui/resource.h"

#include <atomic>
#include <functional>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace nodescout::ui_test {
namespace {

using Row = std::vector<std::string>;

// The main window's template with its list set up the way the main window does.
class ListHost : public CDialog {
public:
    ListHost() : CDialog(IDD_NODESCOUT_DIALOG) {}
    CListCtrl m_ListCtrl;

protected:
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_LIST, m_ListCtrl); }
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        m_ListCtrl.SetExtendedStyle(LVS_EX_FULLROWSELECT | LVS_EX_INFOTIP);
        CResultList(m_ListCtrl).InsertColumns();
        return TRUE;
    }
};

// Empties the list as "Clear" does with every row selected.
void DeleteAllRows(CListCtrl& list) {
    while (list.GetItemCount() > 0) {
        list.DeleteItem(0);
    }
}

class ResultListTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        CResultList::s_nSortColumn = 0;
        CResultList::s_bSortAscending = false;
    }

    // Runs body while the list is open.
    static void WithList(const std::function<void(CListCtrl&, CResultList&)>& body) {
        ListHost host;
        CResultList rows(host.m_ListCtrl);
        UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) { body(host.m_ListCtrl, rows); });
        ASSERT_EQ(host.DoModal(), IDCANCEL);
    }

    static std::vector<Row> RowsOf(const CListCtrl& list) {
        std::vector<Row> rows;
        for (int i = 0; i < list.GetItemCount(); ++i) {
            rows.push_back({list.GetItemText(i, 0), list.GetItemText(i, 1), list.GetItemText(i, 2),
                            list.GetItemText(i, 3)});
        }
        return rows;
    }
    static std::vector<int> SequencesOf(const CListCtrl& list) {
        std::vector<int> sequences;
        for (int i = 0; i < list.GetItemCount(); ++i) {
            sequences.push_back(static_cast<int>(list.GetItemData(i)));
        }
        return sequences;
    }
    static std::vector<std::string> ColumnOf(const CListCtrl& list, int nColumn) {
        std::vector<std::string> texts;
        for (int i = 0; i < list.GetItemCount(); ++i) {
            texts.push_back(list.GetItemText(i, nColumn));
        }
        return texts;
    }
};

constexpr const char* kMac = "001122334455";

TEST_F(ResultListTest, NewMacsAreNumberedAndSightingsMarkTheirRow) {
    WithList([](CListCtrl& list, CResultList& rows) {
        rows.AddOrUpdateRow("198.18.0.1", kMac, "ALPHA");
        EXPECT_EQ(RowsOf(list), (std::vector<Row>{{"1", "198.18.0.1", kMac, "ALPHA"}}));
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{0}));
        EXPECT_EQ(test::HotItemOf(list), -1);

        // Seen again at its address: +1, for good, and the name stays.
        rows.AddOrUpdateRow("198.18.0.1", kMac, "");
        rows.AddOrUpdateRow("198.18.0.1", kMac, "OTHER");
        EXPECT_EQ(RowsOf(list), (std::vector<Row>{{"+1", "198.18.0.1", kMac, "ALPHA"}}));
        EXPECT_EQ(test::HotItemOf(list), -1);

        // Found at another address: the row moves there, -1, and becomes the hot item.
        rows.AddOrUpdateRow("198.18.0.2", kMac, "OTHER");
        EXPECT_EQ(RowsOf(list), (std::vector<Row>{{"-1", "198.18.0.2", kMac, "ALPHA"}}));
        EXPECT_EQ(test::HotItemOf(list), 0);
        rows.AddOrUpdateRow("198.18.0.2", kMac, "");
        EXPECT_EQ(list.GetItemText(0, 0), "-1") << "a moved row is not turned back into +1";
        rows.AddOrUpdateRow("198.18.0.3", kMac, "");
        EXPECT_EQ(RowsOf(list), (std::vector<Row>{{"-1", "198.18.0.3", kMac, "ALPHA"}}));

        rows.AddOrUpdateRow("198.18.0.9", "66778899aabb", "");
        EXPECT_EQ(RowsOf(list)[1], (Row{"2", "198.18.0.9", "66778899aabb", ""}));
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{0, 1}));
        EXPECT_EQ(test::HotItemOf(list), 0);
    });
}

TEST_F(ResultListTest, MacsMatchByExactTextAndHostsSharingAMacShareARow) {
    WithList([](CListCtrl& list, CResultList& rows) {
        rows.AddOrUpdateRow("198.18.0.1", "00a0c9aabbcc", "lower");
        rows.AddOrUpdateRow("198.18.0.2", "00A0C9AABBCC", "UPPER");
        EXPECT_EQ(ColumnOf(list, 0), (std::vector<std::string>{"1", "2"}));

        // Two hosts reporting twelve zeros: each alternate sighting moves the row.
        rows.AddOrUpdateRow("198.18.0.5", "000000000000", "FIRST");
        rows.AddOrUpdateRow("198.18.0.6", "000000000000", "SECOND");
        EXPECT_EQ(RowsOf(list)[2], (Row{"-3", "198.18.0.6", "000000000000", "FIRST"}));
        rows.AddOrUpdateRow("198.18.0.5", "000000000000", "FIRST");
        EXPECT_EQ(RowsOf(list)[2], (Row{"-3", "198.18.0.5", "000000000000", "FIRST"}));
        EXPECT_EQ(list.GetItemCount(), 3);
        EXPECT_EQ(test::HotItemOf(list), 2);
    });
}

TEST_F(ResultListTest, AnEditedNumberBlocksThePlusMarkOnlyWhenItReadsNegative) {
    WithList([](CListCtrl& list, CResultList& rows) {
        rows.AddOrUpdateRow("198.18.0.1", kMac, "");
        const auto sightingGives = [&](const char* edited) {
            list.SetItemText(0, 0, edited);
            rows.AddOrUpdateRow("198.18.0.1", kMac, "");
            return list.GetItemText(0, 0);
        };
        // Read the way atoi reads: white space, a sign, digits, then anything.
        EXPECT_EQ(sightingGives("-7"), "-7");
        EXPECT_EQ(sightingGives(" \t-3abc"), " \t-3abc");
        EXPECT_EQ(sightingGives("-99999999999"), "-99999999999") << "past the range of int";
        EXPECT_EQ(sightingGives("-0"), "+1");
        EXPECT_EQ(sightingGives("abc"), "+1");
        EXPECT_EQ(sightingGives("- 5"), "+1");
        EXPECT_EQ(sightingGives("17"), "+1");
        // A move always rewrites the number.
        list.SetItemText(0, 0, "-7");
        rows.AddOrUpdateRow("198.18.0.2", kMac, "");
        EXPECT_EQ(list.GetItemText(0, 0), "-1");
    });
}

TEST_F(ResultListTest, SequenceNumbersSurviveRemovalsAndMayRepeat) {
    WithList([](CListCtrl& list, CResultList& rows) {
        rows.AddOrUpdateRow("198.18.0.1", "000000000001", "");
        rows.AddOrUpdateRow("198.18.0.2", "000000000002", "");
        rows.AddOrUpdateRow("198.18.0.3", "000000000003", "");
        list.DeleteItem(1);
        rows.AddOrUpdateRow("198.18.0.4", "000000000004", "");
        EXPECT_EQ(ColumnOf(list, 0), (std::vector<std::string>{"1", "3", "3"}));
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{0, 2, 2}));
        rows.AddOrUpdateRow("198.18.0.5", "000000000004", ""); // moves: number from its sequence
        EXPECT_EQ(list.GetItemText(2, 0), "-3");

        // "No." sorts by sequence number, whatever the text says.
        list.SetItemText(0, 0, "zzz");
        rows.SortRows(kNumberColumn, false);
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{2, 2, 0}));
        EXPECT_EQ(list.GetItemText(2, 0), "zzz");
    });
}

TEST_F(ResultListTest, ANewRowIsScrolledIntoView) {
    WithList([](CListCtrl& list, CResultList& rows) {
        char mac[13];
        for (int i = 0; i < 60; ++i) {
            std::snprintf(mac, sizeof mac, "0000000000%02x", i);
            rows.AddOrUpdateRow("198.18.1.1", mac, "");
            CRect client;
            CRect last;
            list.GetClientRect(&client);
            ASSERT_TRUE(list.GetItemRect(i, &last, LVIR_BOUNDS));
            ASSERT_GE(last.top, 0) << "row " << i;
            ASSERT_LE(last.bottom, client.bottom) << "row " << i;
        }

        // The same hosts, and one again, in one step end where they did.
        CRect first;
        ASSERT_TRUE(list.GetItemRect(0, &first, LVIR_BOUNDS));
        const std::vector<Row> added = RowsOf(list);
        DeleteAllRows(list);
        std::vector<HostReport> hosts;
        for (int i = 0; i < 60; ++i) {
            std::snprintf(mac, sizeof mac, "0000000000%02x", i);
            hosts.push_back(HostReport{"198.18.1.1", mac, ""});
        }
        hosts.push_back(HostReport{"198.18.1.1", "000000000007", ""});
        rows.AddOrUpdateRows(hosts);
        std::vector<Row> expected = added;
        expected[7][0] = "+8";
        EXPECT_EQ(RowsOf(list), expected);
        CRect firstInOneStep;
        ASSERT_TRUE(list.GetItemRect(0, &firstInOneStep, LVIR_BOUNDS));
        EXPECT_EQ(firstInOneStep.top, first.top) << "scrolled to another place";
    });
}

TEST_F(ResultListTest, SortsEachColumnBothWays) {
    WithList([](CListCtrl& list, CResultList& rows) {
        rows.AddOrUpdateRow("192.168.0.10", "00aa00000001", "alpha");
        rows.AddOrUpdateRow("10.0.0.1", "00AA00000002", "Zeta");
        rows.AddOrUpdateRow("no address", "00aa00000000", "");
        rows.AddOrUpdateRow("192.168.0.9", "0000000000ff", "Beta");
        rows.AddOrUpdateRow("192.168.0.1", "ffffffffffff", "beta");
        rows.AddOrUpdateRow("1.2.3.4", "0000000000fe",
                            "\xc3\xa9t\xc3\xa9"); // bytes above 127 sort last

        // Addresses in numeric order; text that is no address counts as
        // 255.255.255.255 and comes last.
        rows.SortRows(kAddressColumn, true);
        const std::vector<std::string> byAddress = {"1.2.3.4",     "10.0.0.1",     "192.168.0.1",
                                                    "192.168.0.9", "192.168.0.10", "no address"};
        EXPECT_EQ(ColumnOf(list, 1), byAddress);
        rows.SortRows(kAddressColumn, false);
        EXPECT_EQ(ColumnOf(list, 1),
                  std::vector<std::string>(byAddress.rbegin(), byAddress.rend()));

        // Texts byte by byte: upper case before lower case, empty first.
        rows.SortRows(kMacColumn, true);
        EXPECT_EQ(ColumnOf(list, 2),
                  (std::vector<std::string>{"0000000000fe", "0000000000ff", "00AA00000002",
                                            "00aa00000000", "00aa00000001", "ffffffffffff"}));
        rows.SortRows(kNameColumn, true);
        const std::vector<std::string> byName = {"",      "Beta", "Zeta",
                                                 "alpha", "beta", "\xc3\xa9t\xc3\xa9"};
        EXPECT_EQ(ColumnOf(list, 3), byName);
        rows.SortRows(kNameColumn, false);
        EXPECT_EQ(ColumnOf(list, 3), std::vector<std::string>(byName.rbegin(), byName.rend()));

        rows.SortRows(kNumberColumn, true);
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{0, 1, 2, 3, 4, 5}));
        EXPECT_EQ(ColumnOf(list, 0), (std::vector<std::string>{"1", "2", "3", "4", "5", "6"}));
    });
    EXPECT_EQ(CompareResultRows({0, "255.255.255.255", "", ""}, {0, "x", "", ""}, kAddressColumn),
              0);
    EXPECT_EQ(CompareResultRows({0, "", "b", ""}, {0, "", "abc", ""}, kMacColumn), 1);
}

TEST_F(ResultListTest, TheFirstClickOnAColumnSortsAscendingAndTheNextOneFlips) {
    WithList([](CListCtrl& list, CResultList& rows) {
        rows.AddOrUpdateRow("198.18.0.2", "000000000001", "b");
        rows.AddOrUpdateRow("198.18.0.1", "000000000002", "a");
        rows.AddOrUpdateRow("198.18.0.3", "000000000003", "c");
        const auto click = [&](int nColumn) {
            NMLISTVIEW notification;
            notification.hdr.idFrom = IDC_LIST;
            notification.hdr.code = LVN_COLUMNCLICK;
            notification.iSubItem = nColumn;
            LRESULT result = -1;
            rows.OnListColumnClick(&notification.hdr, &result);
            EXPECT_EQ(result, 0);
            return std::pair(CResultList::s_nSortColumn, CResultList::s_bSortAscending);
        };
        EXPECT_EQ(click(0), std::pair(0, true)) << "even the very first click on No.";
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{0, 1, 2}));
        EXPECT_EQ(click(0), std::pair(0, false));
        EXPECT_EQ(SequencesOf(list), (std::vector<int>{2, 1, 0}));
        EXPECT_EQ(click(3), std::pair(3, true));
        EXPECT_EQ(ColumnOf(list, 3), (std::vector<std::string>{"a", "b", "c"}));
        EXPECT_EQ(click(3), std::pair(3, false));
        EXPECT_EQ(ColumnOf(list, 3), (std::vector<std::string>{"c", "b", "a"}));
        EXPECT_EQ(click(1), std::pair(1, true));
        EXPECT_EQ(ColumnOf(list, 1),
                  (std::vector<std::string>{"198.18.0.1", "198.18.0.2", "198.18.0.3"}));
    });
}

TEST_F(ResultListTest, WorkersReportingTheSameNewHostAtOnceLeaveOneRow) {
    constexpr int kWorkers = 6;
    constexpr int kOwnHosts = 15;
    WithList([](CListCtrl& list, CResultList& rows) {
        for (int round = 0; round < 10; ++round) {
            DeleteAllRows(list);
            std::atomic<int> ready{0};
            std::atomic<int> finished{0};
            std::vector<std::thread> workers;
            for (int w = 0; w < kWorkers; ++w) {
                workers.emplace_back([&, w] {
                    ++ready;
                    while (ready.load() < kWorkers) {
                        std::this_thread::yield();
                    }
                    rows.AddOrUpdateRow("198.18.0.7", "0a0b0c0d0e0f", "SHARED");
                    for (int h = 0; h < kOwnHosts; ++h) {
                        char mac[13];
                        std::snprintf(mac, sizeof mac, "02%02x%08x", w, h);
                        rows.AddOrUpdateRow("198.18.2.1", mac, "");
                        rows.AddOrUpdateRow("198.18.0.7", "0a0b0c0d0e0f", "SHARED");
                    }
                    ++finished;
                    WakeUiWait();
                });
            }
            WaitServingUi([&] { return finished.load() == kWorkers; });
            for (std::thread& worker : workers) {
                worker.join();
            }
            const std::vector<std::string> macs = ColumnOf(list, 2);
            ASSERT_EQ(macs.size(), 1u + kWorkers * kOwnHosts) << "round " << round;
            ASSERT_EQ(std::set<std::string>(macs.begin(), macs.end()).size(), macs.size());
            const std::vector<int> sequences = SequencesOf(list);
            ASSERT_EQ(std::set<int>(sequences.begin(), sequences.end()).size(), sequences.size());
        }
    });
}

// The first row, in list order, with exactly this MAC text, found by reading
// every row.
int ReadRowByMac(const CListCtrl& list, const std::string& mac) {
    for (int i = 0; i < list.GetItemCount(); ++i) {
        if (list.GetItemText(i, kMacColumn) == mac) {
            return i;
        }
    }
    return -1;
}

TEST_F(ResultListTest, TheMacIndexFindsWhatReadingTheListFinds) {
    // Few MAC texts, differing in letter case and one empty, so that rows
    // share texts after edits and every kind of change meets the index.
    const std::vector<std::string> macs = {"",
                                           "00000000000a",
                                           "00000000000A",
                                           "00000000000b",
                                           "00000000000c",
                                           "00000000000d",
                                           "00000000000e"};
    const std::vector<std::string> addresses = {"198.18.0.1", "198.18.0.2", "198.18.0.3"};
    WithList([&](CListCtrl& list, CResultList& rows) {
        std::mt19937 random(20240601);
        const auto pick = [&random](std::size_t count) {
            return static_cast<int>(
                std::uniform_int_distribution<std::size_t>(0, count - 1)(random));
        };
        for (int step = 0; step < 600; ++step) {
            const int nCount = list.GetItemCount();
            const int nRow = nCount > 0 ? pick(static_cast<std::size_t>(nCount)) : 0;
            const std::string& mac = macs[static_cast<std::size_t>(pick(macs.size()))];
            const int action = pick(20);
            if (action < 10) {
                const std::string& ip = addresses[static_cast<std::size_t>(pick(addresses.size()))];
                const int nExpected = ReadRowByMac(list, mac);
                rows.AddOrUpdateRow(ip.c_str(), mac.c_str(), "");
                ASSERT_EQ(list.GetItemCount(), nCount + (nExpected < 0 ? 1 : 0)) << "step " << step;
                ASSERT_EQ(list.GetItemText(nExpected < 0 ? nCount : nExpected, kAddressColumn), ip)
                    << "step " << step;
            } else if (action < 14) {
                list.SetItemText(nRow, kMacColumn, mac); // the row editor
            } else if (action < 17) {
                list.DeleteItem(nRow); // "Clear" of one selected row
            } else if (action < 19) {
                rows.SortByColumnClick(pick(4));
            } else if (pick(4) == 0) {
                DeleteAllRows(list);
            }
            for (const std::string& text : macs) {
                ASSERT_EQ(rows.FindRowByMac(text.c_str()), ReadRowByMac(list, text))
                    << "step " << step << ", MAC \"" << text << "\"";
            }
        }
    });
}

TEST_F(ResultListTest, NothingHappensWithoutAWindow) {
    CListCtrl unbound;
    CResultList rows(unbound);
    rows.AddOrUpdateRow("198.18.0.1", kMac, "");
    std::atomic<bool> done{false};
    std::thread worker([&] {
        rows.AddOrUpdateRow("198.18.0.1", kMac, "");
        done = true;
        WakeUiWait();
    });
    WaitServingUi([&] { return done.load(); });
    worker.join();
    EXPECT_EQ(unbound.GetItemCount(), 0);
    rows.SortRows(kAddressColumn, true);
}

} // namespace
} // namespace nodescout::ui_test
