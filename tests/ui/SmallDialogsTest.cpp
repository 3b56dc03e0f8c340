// The small dialogs as their openers use them: fill the members, run the
// dialog, read the members back after OK; Cancel, Escape and the close box
// change nothing. Also the export-format choice, the range dialog's
// want-return fields and the typing limits of every edit field.

#include "tests/support/GuiTest.h"
#include "tests/support/UiTest.h"

#include "platform/text/FixedText.h"
#include "ui/AboutDlg.h"
#include "ui/AutoScanDlg.h"
#include "ui/EditLimits.h"
#include "ui/ExportFormatDlg.h"
#include "ui/FindMacDlg.h"
#include "ui/InfoDlg.h"
#include "ui/IpInputDlg.h"

#include <QWidget>

#include <string>
#include <vector>

namespace nodescout::ui_test {
namespace {

// One text member of a dialog, the control it is exchanged with, and how
// long a text the user can type there.
template <class Dlg>
struct TextField {
    int nID;
    std::string Dlg::*member;
    int nLimit; // 0: not an edit
};

template <class Dlg>
std::vector<TextField<Dlg>> FieldsOf();

template <>
std::vector<TextField<CIpInputDlg>> FieldsOf() {
    return {{IDC_IP, &CIpInputDlg::m_strIP, kAddressTextLimit},
            {IDC_IP_LABEL, &CIpInputDlg::m_strLabel, 0}};
}
template <>
std::vector<TextField<CFindMacDlg>> FieldsOf() {
    return {{IDC_IP1, &CFindMacDlg::m_strIP1, 1023},
            {IDC_IP2, &CFindMacDlg::m_strIP2, 1023},
            {IDC_MAC, &CFindMacDlg::m_strMac, 17}};
}
template <>
std::vector<TextField<CInfoDlg>> FieldsOf() {
    return {{IDC_INFO_IP, &CInfoDlg::m_strIP, 1023},
            {IDC_INFO_MAC, &CInfoDlg::m_strMac, 1023},
            {IDC_INFO_NAME, &CInfoDlg::m_strName, 1023},
            {IDC_INFO_INDEX, &CInfoDlg::m_strIndex, 1023}};
}
template <>
std::vector<TextField<CAutoScanDlg>> FieldsOf() {
    return {{IDC_IP1, &CAutoScanDlg::m_strIP1, 1023},
            {IDC_IP2, &CAutoScanDlg::m_strIP2, 1023},
            {IDC_INTERVAL, &CAutoScanDlg::m_strInterval, 9}};
}

template <class Dlg>
class TextDialogTest : public UiTest {
protected:
    // Fills every member with a text of its own, as an opener would.
    static void Fill(Dlg& dialog, const std::string& prefix) {
        int n = 0;
        for (const auto& field : FieldsOf<Dlg>()) {
            dialog.*field.member = prefix + std::to_string(n++);
        }
    }
    // Types new texts into every field of the open dialog.
    static void TypeOver(CDialog& open, const std::string& prefix) {
        int n = 0;
        for (const auto& field : FieldsOf<Dlg>()) {
            open.SetDlgItemText(field.nID, prefix + std::to_string(n++));
        }
    }
    static void ExpectMembers(const Dlg& dialog, const std::string& prefix) {
        int n = 0;
        for (const auto& field : FieldsOf<Dlg>()) {
            EXPECT_EQ(dialog.*field.member, prefix + std::to_string(n++))
                << "control " << field.nID;
        }
    }
};

using TextDialogs = testing::Types<CIpInputDlg, CFindMacDlg, CInfoDlg, CAutoScanDlg>;
TYPED_TEST_SUITE(TextDialogTest, TextDialogs);

TYPED_TEST(TextDialogTest, OpensWithTheMembersAndOkOrEnterHandsTheFieldsBack) {
    TypeParam dialog;
    this->Fill(dialog, "opener-");
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        int n = 0;
        for (const auto& field : FieldsOf<TypeParam>()) {
            EXPECT_EQ(TextOf(open, field.nID), "opener-" + std::to_string(n++));
        }
        TextDialogTest<TypeParam>::TypeOver(open, "typed-");
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    this->ExpectMembers(dialog, "typed-");
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{TypeParam::IDD}));

    // Enter in the first field presses the default button, OK; an emptied
    // field comes back empty.
    const int nFirst = FieldsOf<TypeParam>().front().nID;
    UiTestSeam::QueueModalAnswer(0, [&](CDialog& open) {
        open.SetDlgItemText(nFirst, "");
        PressKeyIn(open, nFirst, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.*FieldsOf<TypeParam>().front().member, "");
}

TYPED_TEST(TextDialogTest, CancelEscapeAndTheCloseBoxReturnTwoAndChangeNothing) {
    const std::vector<std::function<void(CDialog&)>> endings = {
        [](CDialog& open) { ButtonOf(open, IDCANCEL).Click(); },
        [](CDialog& open) { PressKeyIn(open, FieldsOf<TypeParam>().front().nID, Qt::Key_Escape); },
        [](CDialog& open) { open.GetQtWidget()->close(); },
    };
    for (const auto& end : endings) {
        TypeParam dialog;
        this->Fill(dialog, "kept-");
        UiTestSeam::QueueModalAnswer(0, [&](CDialog& open) {
            TextDialogTest<TypeParam>::TypeOver(open, "typed-");
            end(open);
        });
        EXPECT_EQ(dialog.DoModal(), IDCANCEL);
        this->ExpectMembers(dialog, "kept-");
    }
}

TYPED_TEST(TextDialogTest, TypingStopsAtTheLimitSoTheTextFitsTheOpenersBuffer) {
    TypeParam dialog;
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        for (const auto& field : FieldsOf<TypeParam>()) {
            if (field.nLimit == 0) {
                continue;
            }
            SCOPED_TRACE("control " + std::to_string(field.nID));
            CEdit& edit = EditOf(open, field.nID);
            test::Paste(edit, QString(2000, '7'));
            EXPECT_EQ(TextOf(open, field.nID),
                      std::string(static_cast<std::size_t>(field.nLimit), '7'));
            PressKeyIn(open, field.nID, Qt::Key_End);
            test::PressKey(test::FocusOf(open), Qt::Key_8); // one more key
            EXPECT_EQ(TextOf(open, field.nID).size(), static_cast<std::size_t>(field.nLimit));
        }
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    for (const auto& field : FieldsOf<TypeParam>()) {
        if (field.nLimit > 0) {
            // What the opener copies out fits a buffer one longer than the limit.
            const std::string& text = dialog.*field.member;
            EXPECT_EQ(text.size(), static_cast<std::size_t>(field.nLimit));
            if (field.nLimit == kMacTextLimit) {
                EXPECT_EQ(TypedMacText(text).View(), text);
            } else {
                EXPECT_EQ(Text(text).View(), text);
            }
        }
    }
}

using SmallDialogsTest = UiTest;

TEST_F(SmallDialogsTest, ALongerTextFromTheOpenerIsShownAndHandedBackWhole) {
    // A row's computer name longer than the field's limit (loaded from an
    // edited saved list): nothing is cut, but typing cannot make it longer.
    CInfoDlg dialog;
    dialog.m_strName = std::string(1500, 'n');
    dialog.m_strIndex = "7";
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        EXPECT_EQ(TextOf(open, IDC_INFO_NAME).size(), 1500u);
        PressKeyIn(open, IDC_INFO_NAME, Qt::Key_End);
        test::PressKey(test::FocusOf(open), Qt::Key_X);
        EXPECT_EQ(TextOf(open, IDC_INFO_NAME).size(), 1500u);
        test::PressKey(test::FocusOf(open), Qt::Key_Backspace);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strName, std::string(1499, 'n'));
    EXPECT_EQ(dialog.m_strIndex, "7");

    // The auto-scan opener writes any int with "%d"; it comes back unchanged.
    CAutoScanDlg autoScan;
    autoScan.m_strInterval = "-2147483648";
    UiTestSeam::QueueModalAnswer(IDOK);
    EXPECT_EQ(autoScan.DoModal(), IDOK);
    EXPECT_EQ(autoScan.m_strInterval, "-2147483648");
}

TEST_F(SmallDialogsTest, IpInputLabelShowsTheOpenersText) {
    CIpInputDlg dialog;
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        EXPECT_EQ(TextOf(open, IDC_IP_LABEL), ""); // replaced by the empty member
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    dialog.m_strLabel = "IP Address";
    UiTestSeam::QueueModalAnswer(
        IDOK, [](CDialog& open) { EXPECT_EQ(TextOf(open, IDC_IP_LABEL), "IP Address"); });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_strLabel, "IP Address");
    EXPECT_EQ(dialog.m_strIP, "");
}

TEST_F(SmallDialogsTest, ExportFormatIsZeroForTextAndMinusOneForExcel) {
    CExportFormatDlg dialog;
    EXPECT_EQ(dialog.m_nFormat, 0);
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        EXPECT_EQ(ButtonOf(open, IDC_TEXT_FILE).GetCheck(), BST_CHECKED);
        EXPECT_EQ(ButtonOf(open, IDC_EXCEL_FILE).GetCheck(), BST_UNCHECKED);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nFormat, 0) << "confirmed without a click";

    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        ButtonOf(open, IDC_EXCEL_FILE).Click();
        EXPECT_EQ(ButtonOf(open, IDC_TEXT_FILE).GetCheck(), BST_UNCHECKED) << "one choice";
        EXPECT_EQ(ButtonOf(open, IDC_EXCEL_FILE).GetCheck(), BST_CHECKED);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nFormat, -1);

    // Back to "Text File", and Enter on the focused OK (there is no default button).
    dialog.m_nFormat = 0;
    UiTestSeam::QueueModalAnswer(0, [](CDialog& open) {
        ButtonOf(open, IDC_EXCEL_FILE).Click();
        ButtonOf(open, IDC_TEXT_FILE).Click();
        EXPECT_EQ(ButtonOf(open, IDC_EXCEL_FILE).GetCheck(), BST_UNCHECKED);
        PressKeyIn(open, IDOK, Qt::Key_Return);
    });
    EXPECT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(dialog.m_nFormat, 0);

    // Cancel after choosing Excel keeps the member.
    UiTestSeam::QueueModalAnswer(IDCANCEL,
                                 [](CDialog& open) { ButtonOf(open, IDC_EXCEL_FILE).Click(); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.m_nFormat, 0);
}

TEST_F(SmallDialogsTest, AboutBoxEndsWithOkOrCancel) {
    CAboutDlg about;
    UiTestSeam::QueueModalAnswer(0, [](CDialog& open) { PressKeyIn(open, IDOK, Qt::Key_Return); });
    EXPECT_EQ(about.DoModal(), IDOK);
    UiTestSeam::QueueModalAnswer(0, [](CDialog& open) { PressKeyIn(open, IDOK, Qt::Key_Escape); });
    EXPECT_EQ(about.DoModal(), IDCANCEL);
    EXPECT_EQ(UiTestSeam::ModalRuns(), (std::vector<UINT>{IDD_ABOUTBOX, IDD_ABOUTBOX}));
}

TEST_F(SmallDialogsTest, EnterInARangeFieldStaysInTheFieldAndDoesNotPressOk) {
    CDialog range(IDD_IPRANGE);
    UiTestSeam::QueueModalAnswer(0, [](CDialog& open) {
        open.SetDlgItemText(IDC_IP1, "198.18.0.1");
        PressKeyIn(open, IDC_IP1, Qt::Key_Return);
        PressKeyIn(open, IDC_IP2, Qt::Key_Return);
        PressKeyIn(open, IDC_IP2, Qt::Key_Enter);
        PressKeyIn(open, IDC_IP2, Qt::Key_Escape);
    });
    EXPECT_EQ(range.DoModal(), IDCANCEL) << "Enter in a field ended the dialog";

    // Elsewhere Enter presses the default OK.
    UiTestSeam::QueueModalAnswer(
        0, [](CDialog& open) { PressKeyIn(open, IDC_RANGE_LIST, Qt::Key_Return); });
    EXPECT_EQ(range.DoModal(), IDOK);
}

} // namespace
} // namespace nodescout::ui_test
