#pragma once

// The IP range list: the table of up to 100 address ranges that "Retr All"
// scans, edited as a two-column list with "Add", "Edit" and "Remove", and two
// fields for the start and end address of the range being entered.
//
// The dialog works on its own copy of the table. The opener fills m_strIP1,
// m_strIP2, m_nRangeCount and that many entries of m_Ranges, runs the dialog
// and, unless it returned IDCANCEL, copies the same four back. The dialog
// checks no address; OK hands back at most kMaxRanges ranges, and every
// range text fits its 1024-character field.

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/MessageMap.h"
#include "store/Settings.h"
#include "ui/resource.h"

#include <string>

namespace nodescout {

class CRangeListDlg : public CDialog {
public:
    static constexpr UINT IDD = IDD_IPRANGE;

    explicit CRangeListDlg(CWnd* pParent = nullptr);

    CListCtrl m_RangeList; // the ranges, one row each (list 1027)
    std::string m_strIP1;  // start address being entered (edit 1012)
    std::string m_strIP2;  // end address being entered (edit 1010)
    RangeTable m_Ranges;   // the table, read at opening and written by OK
    int m_nRangeCount = 0; // entries of m_Ranges in use

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    const MessageMap* GetMessageMap() const override;

private:
    // What the opener put in the two fields, given back on Cancel.
    std::string m_strOpenedIP1;
    std::string m_strOpenedIP2;

    void OnAdd();
    void OnEdit();
    void OnRemove();
    void OnItemChangedRangeList(NMHDR* pNMHDR, LRESULT* pResult);

    // The lowest index among the selected rows, or -1.
    int FirstSelectedRow() const;
};

} // namespace nodescout
