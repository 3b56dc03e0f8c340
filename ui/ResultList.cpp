#include "ui/ResultList.h"

#include "framework/UiThread.h"
#include "platform/net/Inet.h"
#include "platform/text/NumberText.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace nodescout {

namespace {

struct ColumnLook {
    const char* heading;
    int width; // pixels
};

// The one table of the columns, in the order of ResultColumn.
constexpr ColumnLook kColumns[] = {
    {"No.", 40},
    {"IP Address", 120},
    {"MAC Address", 120},
    {"Computer Name", 180},
};

// What the sort hands to CompareRows: the rows as they stood before the sort
// (indexed by their position then), the column and the direction.
struct SortRequest {
    std::vector<ResultRow> rows;
    int nColumn = 0;
    bool bAscending = true;
};

int Sign(long long value) noexcept {
    return (value > 0) - (value < 0);
}

// The number text of a row: "%d", "+%d" or "-%d" of its sequence number + 1.
std::string NumberText(const char* mark, int nSequence) {
    char text[16];
    std::snprintf(text, sizeof text, "%s%d", mark, nSequence + 1);
    return text;
}

} // namespace

void CResultList::InsertColumns() {
    int column = 0;
    for (const ColumnLook& look : kColumns) {
        m_ListCtrl.InsertColumn(column++, look.heading, LVCFMT_LEFT, look.width);
    }
}

// ------------------------------------------------------------ AddOrUpdateRow

void CResultList::AddOrUpdateRow(const char* ipText, const char* macText,
                                 const char* computerName) {
    // The search and the change it leads to are one call on the UI thread, so
    // no other call can come between them.
    const char* ip = ipText ? ipText : "";
    const char* mac = macText ? macText : "";
    const char* name = computerName ? computerName : "";
    CallOnUiThread([&] { ScrollToRow(AddOrUpdateRowOnUi(ip, mac, name)); });
}

void CResultList::AddOrUpdateRows(const std::vector<HostReport>& hosts) {
    // Scrolling by a new last row's bottom edge always ends at the list's
    // end, whatever the rows before it did, so once for the last is enough.
    CallOnUiThread([&] {
        m_firstRowByMac.reserve(m_firstRowByMac.size() + hosts.size());
        int nLastAppended = -1;
        for (const HostReport& host : hosts) {
            const int nItem =
                AddOrUpdateRowOnUi(host.ip.c_str(), host.mac.c_str(), host.name.c_str());
            nLastAppended = nItem >= 0 ? nItem : nLastAppended;
        }
        ScrollToRow(nLastAppended);
    });
}

int CResultList::AddOrUpdateRowOnUi(const char* ipText, const char* macText,
                                    const char* computerName) {
    if (!m_ListCtrl.GetSafeHwnd()) {
        return -1; // the main window is gone
    }
    const int nItem = FindRowByMac(macText);
    if (nItem < 0) {
        return AppendRow(ipText, macText, computerName);
    }
    // A known host: the computer name stays as it is. Neither change below
    // touches the MAC texts or the order of the rows, so the index holds.
    const int nSequence = SequenceOf(nItem);
    if (m_ListCtrl.GetItemText(nItem, kAddressColumn) != ipText) {
        // Moved to another address.
        m_ListCtrl.SetItemText(nItem, kAddressColumn, ipText);
        m_ListCtrl.SetHotItem(nItem);
        m_ListCtrl.SetItemText(nItem, kNumberColumn, NumberText("-", nSequence));
    } else if (ReadNumberText(m_ListCtrl.GetItemText(nItem, kNumberColumn).c_str()) >= 0) {
        // Seen again at its address; a row marked as moved keeps its mark.
        m_ListCtrl.SetItemText(nItem, kNumberColumn, NumberText("+", nSequence));
    }
    m_nIndexStamp = m_ListCtrl.GetChangeStamp();
    return -1;
}

int CResultList::FindRowByMac(const char* macText) {
    RefreshMacIndex();
    const auto found = m_firstRowByMac.find(macText ? macText : "");
    return found == m_firstRowByMac.end() ? -1 : found->second;
}

void CResultList::RefreshMacIndex() {
    const std::uint64_t nStamp = m_ListCtrl.GetChangeStamp();
    if (nStamp == m_nIndexStamp) {
        return;
    }
    m_firstRowByMac.clear();
    const int nCount = m_ListCtrl.GetItemCount();
    for (int nItem = 0; nItem < nCount; ++nItem) {
        m_firstRowByMac.emplace(m_ListCtrl.GetItemText(nItem, kMacColumn), nItem);
    }
    m_nIndexStamp = nStamp;
}

int CResultList::AppendRow(const char* ipText, const char* macText, const char* computerName) {
    const int nCount = m_ListCtrl.GetItemCount();
    const int nItem = m_ListCtrl.InsertItem(nCount, NumberText("", nCount).c_str());
    if (nItem < 0) {
        return -1;
    }
    m_ListCtrl.SetItemData(nItem, static_cast<DWORD_PTR>(nCount));
    m_ListCtrl.SetItemText(nItem, kAddressColumn, ipText);
    m_ListCtrl.SetItemText(nItem, kMacColumn, macText);
    m_ListCtrl.SetItemText(nItem, kNameColumn, computerName);
    // The new last row is the first with its MAC text (none matched). The
    // key is the text as the list gives it back, the one a search compares.
    m_firstRowByMac.emplace(m_ListCtrl.GetItemText(nItem, kMacColumn), nItem);
    m_nIndexStamp = m_ListCtrl.GetChangeStamp();
    return nItem;
}

void CResultList::ScrollToRow(int nItem) {
    // Scrolling by the new row's bottom edge brings the newest row into view.
    CRect rect;
    if (nItem >= 0 && m_ListCtrl.GetItemRect(nItem, &rect, LVIR_BOUNDS)) {
        m_ListCtrl.Scroll(CSize{0, rect.bottom});
    }
}

int CResultList::SequenceOf(int nItem) const {
    return static_cast<int>(static_cast<LPARAM>(m_ListCtrl.GetItemData(nItem)));
}

// ------------------------------------------------------------ sorting

void CResultList::OnListColumnClick(NMHDR* pNMHDR, LRESULT* pResult) {
    const auto* click = reinterpret_cast<const NMLISTVIEW*>(pNMHDR);
    SortByColumnClick(click->iSubItem);
    *pResult = 0;
}

void CResultList::SortByColumnClick(int nColumn) {
    if (nColumn == s_nSortColumn) {
        s_bSortAscending = !s_bSortAscending;
    } else {
        s_nSortColumn = nColumn;
        s_bSortAscending = true;
    }
    SortRows(nColumn, s_bSortAscending);
}

void CResultList::SortRows(int nColumn, bool bAscending) {
    // Item data alone cannot name a row (sequence numbers can repeat), so the
    // comparison gets the rows' indices and reads this copy of their texts.
    SortRequest request;
    request.nColumn = nColumn;
    request.bAscending = bAscending;
    const int nCount = m_ListCtrl.GetItemCount();
    request.rows.reserve(static_cast<std::size_t>(nCount > 0 ? nCount : 0));
    for (int nItem = 0; nItem < nCount; ++nItem) {
        request.rows.push_back(ResultRow{
            SequenceOf(nItem), m_ListCtrl.GetItemText(nItem, kAddressColumn),
            m_ListCtrl.GetItemText(nItem, kMacColumn), m_ListCtrl.GetItemText(nItem, kNameColumn)});
    }
    m_ListCtrl.SortItemsEx(&CResultList::CompareRows, reinterpret_cast<DWORD_PTR>(&request));
}

int CResultList::CompareRows(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort) {
    const auto* request = reinterpret_cast<const SortRequest*>(lParamSort);
    const auto count = static_cast<LPARAM>(request->rows.size());
    if (lParam1 < 0 || lParam1 >= count || lParam2 < 0 || lParam2 >= count) {
        return 0;
    }
    const int result =
        CompareResultRows(request->rows[static_cast<std::size_t>(lParam1)],
                          request->rows[static_cast<std::size_t>(lParam2)], request->nColumn);
    return request->bAscending ? result : -result;
}

int CompareResultRows(const ResultRow& a, const ResultRow& b, int nColumn) {
    switch (nColumn) {
    case kNumberColumn:
        return Sign(static_cast<long long>(a.nSequence) - b.nSequence);
    case kAddressColumn: {
        const std::uint32_t valueA = HostOrderAddress(a.strIP.c_str());
        const std::uint32_t valueB = HostOrderAddress(b.strIP.c_str());
        return (valueA > valueB) - (valueA < valueB);
    }
    case kMacColumn:
        return Sign(std::strcmp(a.strMac.c_str(), b.strMac.c_str()));
    case kNameColumn:
        return Sign(std::strcmp(a.strName.c_str(), b.strName.c_str()));
    default:
        return 0;
    }
}

} // namespace nodescout
