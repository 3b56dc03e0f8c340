// Data exchange between members and controls, the edit's text limit, and a
// static control bound to a subclass (the way a link text is made).

#include "tests/support/GuiTest.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <QtTest/QTest>

namespace nodescout::test {
namespace {

using DataExchangeTest = GuiTest;

TEST_F(DataExchangeTest, TextRadioAndCheckRoundTripThroughOnOk) {
    TestDialog dialog(IDD_SAMPLE_CHOICE);
    int format = 0;
    std::string link;
    dialog.exchange = [&](CDataExchange* pDX) {
        DDX_Radio(pDX, IDC_TEXT, format);
        DDX_Text(pDX, IDC_LINK, link);
    };
    link = "https://example.org/";
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        auto* text = static_cast<CButton*>(open.GetDlgItem(IDC_TEXT));
        EXPECT_EQ(text->GetCheck(), BST_CHECKED); // value 0 checks the group's first radio
        static_cast<CButton*>(open.GetDlgItem(IDC_OTHER))->Click();
        open.SetDlgItemText(IDC_LINK, "typed over");
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(format, 1);
    EXPECT_EQ(link, "typed over");

    // "Excel File" is outside the group: choosing it leaves the group at -1.
    UiTestSeam::QueueModalAnswer(IDOK, [](CDialog& open) {
        open.CheckRadioButton(IDC_TEXT, IDC_OTHER, 0);
        static_cast<CButton*>(open.GetDlgItem(IDC_EXCEL))->Click();
    });
    ASSERT_EQ(dialog.DoModal(), IDOK);
    EXPECT_EQ(format, -1);
}

TEST_F(DataExchangeTest, CancelLeavesTheMembersAsTheyWere) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    std::string start = "198.18.0.1";
    dialog.exchange = [&](CDataExchange* pDX) { DDX_Text(pDX, IDC_EDIT_IP1, start); };
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& open) {
        EXPECT_EQ(TextOf(open, IDC_EDIT_IP1), "198.18.0.1");
        open.SetDlgItemText(IDC_EDIT_IP1, "changed");
    });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(start, "198.18.0.1");
}

TEST_F(DataExchangeTest, TextLimitBoundsTypingInBytesButNotTheProgram) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [](CDialog& open) {
        auto* edit = static_cast<CEdit*>(open.GetDlgItem(IDC_EDIT_IP2));
        std::string text;
        Paste(*edit, QString(3000, '1')); // no limit at first
        edit->GetWindowText(text);
        EXPECT_EQ(text, std::string(3000, '1'));
        edit->SetWindowText("");
        edit->LimitText(5);
        Paste(*edit, "12345678"); // a paste is cut to what fits
        edit->GetWindowText(text);
        EXPECT_EQ(text, "12345");
        PressKeyIn(open, IDC_EDIT_IP2, Qt::Key_End);
        PressKey(FocusOf(open), Qt::Key_9);
        edit->GetWindowText(text);
        EXPECT_EQ(text, "12345");
        Paste(*edit, QString::fromUtf8(
                         "\u00e9\u20ac\u00e9\u20ac\u00e9\u20ac")); // six single-byte characters
        edit->GetWindowText(text);
        EXPECT_EQ(text, "\xe9\x80\xe9\x80\xe9");
        // The program may set more; the user can still delete from it.
        edit->SetWindowText("0123456789");
        edit->GetWindowText(text);
        EXPECT_EQ(text, "0123456789");
        PressKey(FocusOf(open), Qt::Key_Backspace);
        edit->GetWindowText(text);
        EXPECT_EQ(text, "012345678");
    });
    dialog.DoModal();
}

// A static turned into a link by binding, as the main window's link text is.
class LinkText : public CStatic {
public:
    bool m_bOver = false;
    int m_nClicks = 0;
    int m_nPreTranslated = 0;
    CToolTipCtrl m_ToolTip;

protected:
    void PreSubclassWindow() override {
        ModifyStyle(0, SS_NOTIFY);
        CRect rect;
        GetClientRect(&rect);
        m_ToolTip.Create(this);
        std::string url;
        GetWindowText(url);
        m_ToolTip.AddTool(this, url.c_str(), &rect, 1);
    }
    BOOL PreTranslateMessage(MSG* pMsg) override {
        ++m_nPreTranslated;
        m_ToolTip.RelayEvent(pMsg);
        return FALSE;
    }
    HBRUSH CtlColor(CDC* pDC, UINT) override {
        pDC->SetTextColor(m_bOver ? RGB(85, 26, 139) : RGB(0, 0, 238));
        pDC->SetBkMode(TRANSPARENT);
        return GetStockObject(NULL_BRUSH);
    }
    BOOL OnSetCursor(CWnd*, UINT, UINT) override {
        ::nodescout::SetCursor(LoadStandardCursor(IDC_HAND));
        return TRUE;
    }
    void OnMouseMove(UINT nFlags, CPoint point) override {
        CStatic::OnMouseMove(nFlags, point);
        CRect rect;
        GetClientRect(&rect);
        if (!m_bOver) {
            m_bOver = true;
            Invalidate();
            SetCapture();
        } else if (!rect.PtInRect(point)) {
            m_bOver = false;
            ReleaseCapture();
            Invalidate();
        }
    }
    void OnClicked() override { ++m_nClicks; }
};

// Text is drawn smoothed: its darkest pixel is the pen's colour.
bool TextHasColour(const QImage& image, QRgb colour) {
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qGray(pixel) < qGray(darkest)) {
                darkest = pixel;
            }
        }
    }
    return std::abs(qRed(darkest) - qRed(colour)) < 24 &&
           std::abs(qGreen(darkest) - qGreen(colour)) < 24 &&
           std::abs(qBlue(darkest) - qBlue(colour)) < 24;
}

void MoveMouse(QWidget* widget, QPoint position) {
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

TEST_F(DataExchangeTest, BoundStaticGetsSubclassHooksColoursCursorAndClicks) {
    TestDialog dialog(IDD_SAMPLE_CHOICE);
    LinkText link;
    dialog.exchange = [&](CDataExchange* pDX) { DDX_Control(pDX, IDC_LINK, link); };
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog& open) {
        EXPECT_EQ(open.GetDlgItem(IDC_LINK), &link);
        EXPECT_FALSE(link.ModifyStyle(0, SS_NOTIFY)) << "SS_NOTIFY is set already";
        QWidget* widget = link.GetQtWidget();
        EXPECT_TRUE(TextHasColour(widget->grab().toImage(), qRgb(0, 0, 238)));

        MoveMouse(widget, QPoint(5, 5));
        EXPECT_TRUE(link.m_bOver);
        EXPECT_EQ(CWnd::GetCapture(), &link);
        EXPECT_EQ(widget->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(TextHasColour(widget->grab().toImage(), qRgb(85, 26, 139)));
        MoveMouse(widget, QPoint(-20, 5));
        EXPECT_FALSE(link.m_bOver);
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
        EXPECT_GT(link.m_nPreTranslated, 0);

        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        EXPECT_EQ(link.m_nClicks, 1);
        const std::string* tip = link.m_ToolTip.TipAt(link.GetSafeHwnd(), CPoint{5, 5});
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(*tip, "file:///usr/share/doc/nodescout/README.md");
        ReleaseCapture();
    });
    dialog.DoModal();
    EXPECT_EQ(link.GetSafeHwnd(), nullptr); // unbound when the window went
}

TEST_F(DataExchangeTest, BindingAControlOfAnotherKindIsAnError) {
    TestDialog dialog(IDD_SAMPLE_RANGE);
    CProgressCtrl wrong;
    dialog.exchange = [&](CDataExchange* pDX) { DDX_Control(pDX, IDC_LIST, wrong); };
    EXPECT_THROW(dialog.DoModal(), std::logic_error);
    EXPECT_EQ(dialog.GetSafeHwnd(), nullptr);
    UiTestSeam::Reset();
}

} // namespace
} // namespace nodescout::test
