#pragma once

// The rules of the result list, the main window's four-column list of hosts
// ("No.", "IP Address", "MAC Address", "Computer Name"):
// - AddOrUpdateRow, the only way rows come in: a new MAC text appends a
//   numbered row, a known one marks its row as seen again ("+N") or as moved
//   to another address ("-N");
// - the sort on a column-header click, and the comparison it applies.
//
// Each row keeps a hidden sequence number as its item data: the number of
// rows the list held when the row was added. The shown number N is the
// sequence number + 1. Sequence numbers never change, so after rows were
// removed a new row can share its number with an older one.
//
// Finding a row by its MAC text does not read the list: an index from MAC
// text to row is kept beside it, and built again from the rows whenever
// anything else changed them (an edit, a removal, a sort).
//
// The main window owns the list control and one CResultList over it; its
// members of the same names hand the work to that instance.

#include "framework/Controls.h"
#include "framework/Types.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace nodescout {

// The columns of the result list.
enum ResultColumn : int {
    kNumberColumn = 0,
    kAddressColumn = 1,
    kMacColumn = 2,
    kNameColumn = 3,
};

// The texts and sequence number of one row, as the comparison sees them.
struct ResultRow {
    int nSequence = 0;
    std::string strIP;
    std::string strMac;
    std::string strName;
};

// One host as a probe or a saved line reports it.
struct HostReport {
    std::string ip;
    std::string mac;
    std::string name;
};

class CResultList {
public:
    explicit CResultList(CListCtrl& listCtrl) noexcept : m_ListCtrl(listCtrl) {}

    // Inserts the four columns, left-aligned: "No." 40 pixels wide, "IP
    // Address" 120, "MAC Address" 120, "Computer Name" 180.
    void InsertColumns();

    // Appends a row for a MAC text not in the list yet, or updates the first
    // row with exactly that MAC text (see the rules in ResultList.cpp). Runs
    // as one step on the UI thread whichever thread calls it, so two workers
    // reporting the same new MAC leave one row. Does nothing when the list
    // has no window.
    void AddOrUpdateRow(const char* ipText, const char* macText, const char* computerName);
    // The same for every host in turn, all in one step on the UI thread. The
    // list scrolls once, after the last host, to where scrolling after each
    // appended row would have left it.
    void AddOrUpdateRows(const std::vector<HostReport>& hosts);

    // The first row, in list order, whose MAC text equals macText byte for
    // byte (letter case counts; an empty text finds a row with an empty MAC
    // text); -1 when there is none or the list has no window. UI thread only.
    int FindRowByMac(const char* macText);

    // The list's column-click notification (LVN_COLUMNCLICK): sorts by the
    // clicked column, ascending on the first click on a column and the other
    // way on each further click. Reports the notification as handled.
    void OnListColumnClick(NMHDR* pNMHDR, LRESULT* pResult);
    // The same for column nColumn.
    void SortByColumnClick(int nColumn);

    // Sorts every row by one column. UI thread only.
    void SortRows(int nColumn, bool bAscending);

    // The sort's comparison of two rows: their indices as they stood before
    // the sort, and the sort's request (see SortItemsEx). Negative when the
    // first row goes first.
    static int CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

    // The column last sorted by (starts at 0) and the direction last used
    // (starts descending, so the first click, even on "No.", sorts
    // ascending). One state for the whole run, touched on the UI thread only.
    static inline int s_nSortColumn = 0;
    static inline bool s_bSortAscending = false;

private:
    CListCtrl& m_ListCtrl;
    // Each MAC text of the list and the first row that has it. True of the
    // rows while the list's change stamp is m_nIndexStamp; built again when
    // the stamp is another (0: never built).
    std::unordered_map<std::string, int> m_firstRowByMac;
    std::uint64_t m_nIndexStamp = 0;

    // Both return the row appended, or -1 when none was.
    int AddOrUpdateRowOnUi(const char* ipText, const char* macText, const char* computerName);
    int AppendRow(const char* ipText, const char* macText, const char* computerName);
    void ScrollToRow(int nItem);
    int SequenceOf(int nItem) const;
    void RefreshMacIndex();
};

// The comparison of two rows by column: column 0 by sequence number, column 1
// by numeric IPv4 address (text that is no address counts as
// 255.255.255.255), columns 2 and 3 byte by byte as strcmp does, each as -1,
// 0 or +1 for the number columns and strcmp's sign for the texts. Ascending
// order; the sort negates it for descending.
int CompareResultRows(const ResultRow& a, const ResultRow& b, int nColumn);

} // namespace nodescout
