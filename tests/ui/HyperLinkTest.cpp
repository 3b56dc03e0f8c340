// The main window's link: its set-up from the control's text, its colours
// while the pointer passes, the click with its sound and message, and the
// way it falls back to the desktop's default web browser. No real opener or
// browser starts: the desktop's opener is stood in for (by a function, or by
// a script named xdg-open first in PATH), and the default browser is a
// recording script registered on a desktop of the test's own.

#include "ui/HyperLink.h"

#include "tests/support/FakeDesktop.h"
#include "tests/support/ProcessEvents.h"
#include "tests/support/UiTest.h"
#include "ui/Resources.h"
#include "ui/resource.h"

#include "platform/shell/Shell.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>
#include <QtTest/QTest>

#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

namespace nodescout::ui_test {
namespace {

constexpr COLORREF kLinkColour = RGB(0, 0, 238);
constexpr COLORREF kHoverColour = RGB(85, 26, 139);

using Words = std::vector<std::string>;

// The link with its state in view and its sound recorded.
class TestLink : public CHyperLink {
public:
    using CHyperLink::m_bOver;
    using CHyperLink::m_bVisited;
    using CHyperLink::m_hLinkCursor;
    using CHyperLink::m_strUrl;
    using CHyperLink::m_ToolTip;

    int m_nBeeps = 0;
    std::size_t m_nBoxesBeforeBeep = 0;

protected:
    void PlayFailureSound() override {
        ++m_nBeeps;
        m_nBoxesBeforeBeep = UiTestSeam::MessageBoxes().size();
    }
};

// The main window's template with its link text bound, as the main window
// binds it; a second link on the empty status text.
class LinkDialog : public CDialog {
public:
    LinkDialog() : CDialog(IDD_NODESCOUT_DIALOG) {}
    TestLink m_Link;
    TestLink m_StatusLink;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_LINK, m_Link);
        DDX_Control(pDX, IDC_STATUS, m_StatusLink);
    }
};

// Text is drawn smoothed: its darkest pixel is the pen's colour.
bool DrawnIn(QWidget* widget, COLORREF colour) {
    const QImage image = widget->grab().toImage();
    QRgb darkest = qRgb(255, 255, 255);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < qGray(darkest)) {
                darkest = image.pixel(x, y);
            }
        }
    }
    return std::abs(qRed(darkest) - GetRValue(colour)) < 24 &&
           std::abs(qGreen(darkest) - GetGValue(colour)) < 24 &&
           std::abs(qBlue(darkest) - GetBValue(colour)) < 24;
}

void MoveMouse(QWidget* widget, QPoint position) {
    QMouseEvent move(QEvent::MouseMove, position, widget->mapToGlobal(position), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

// A desktop of the test's own (data and config folders, a bin folder first
// in PATH) and a stand-in for the desktop's opener that records what it was
// asked and answers m_nOpenerResult.
class HyperLinkTest : public UiTest {
protected:
    void SetUp() override {
        UiTest::SetUp();
        m_previousOpener = SetShellOpenFunction([this](const std::string& target, int show) {
            m_opened.push_back(target + " " + std::to_string(show));
            return m_nOpenerResult;
        });
    }

    void TearDown() override {
        SetShellOpenFunction(m_previousOpener);
        UiTest::TearDown();
    }

    void RegisterBrowser(const std::string& id, const std::string& exec) {
        m_desktop.RegisterBrowser(id, exec);
    }
    std::string AddRecordingProgram(const std::string& name) {
        return m_desktop.AddRecordingProgram(name);
    }

    Words WaitForArguments(const std::string& record) {
        std::istringstream lines(test::FakeDesktop::WaitForFile(record));
        Words words;
        for (std::string line; std::getline(lines, line);) {
            words.push_back(line);
        }
        return words;
    }

    // The desktop's opener becomes a script of the test's own.
    void UseOpenerScript(const std::string& body) {
        SetShellOpenFunction(nullptr);
        chmod(m_desktop.Root().Write("bin/xdg-open", "#!/bin/sh\n" + body + "\n").c_str(), 0755);
    }

    test::FakeDesktop m_desktop;
    ShellOpenFunction m_previousOpener;
    int m_nOpenerResult = SE_ERR_NOASSOC;
    Words m_opened;
};

TEST_F(HyperLinkTest, BindingMakesTheTextALinkWithTipCursorAndAddress) {
    LinkDialog dialog;
    dialog.m_StatusLink.m_strUrl = "file:///preset";
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog& open) {
        TestLink& link = dialog.m_Link;
        EXPECT_FALSE(link.ModifyStyle(0, SS_NOTIFY)) << "SS_NOTIFY is set already";
        EXPECT_EQ(link.m_strUrl, kProductWebAddress);
        EXPECT_EQ(TextOf(open, IDC_LINK), kProductWebAddress);
        const std::string* tip = link.m_ToolTip.TipAt(link.GetSafeHwnd(), CPoint{5, 5});
        ASSERT_NE(tip, nullptr);
        EXPECT_EQ(*tip, kProductWebAddress);
        EXPECT_EQ(link.m_hLinkCursor, LoadStandardCursor(IDC_HAND));
        // An address set before binding fills an empty text.
        EXPECT_EQ(TextOf(open, IDC_STATUS), "file:///preset");

        CDC dc;
        EXPECT_EQ(link.CtlColor(&dc, CTLCOLOR_STATIC), GetStockObject(NULL_BRUSH));
        EXPECT_EQ(dc.GetTextColor(), kLinkColour);
    });
    dialog.DoModal();
}

TEST_F(HyperLinkTest, HoverColoursWhileTheMouseIsCapturedAndVisitedLooksTheSame) {
    LinkDialog dialog;
    m_nOpenerResult = kShellSuccess;
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) {
        TestLink& link = dialog.m_Link;
        QWidget* widget = link.GetQtWidget();
        EXPECT_TRUE(DrawnIn(widget, kLinkColour));

        MoveMouse(widget, QPoint(5, 5));
        EXPECT_TRUE(link.m_bOver);
        EXPECT_EQ(CWnd::GetCapture(), &link);
        EXPECT_EQ(widget->cursor().shape(), Qt::PointingHandCursor);
        EXPECT_TRUE(DrawnIn(widget, kHoverColour));
        MoveMouse(widget, QPoint(9, 3));
        EXPECT_TRUE(link.m_bOver) << "a move inside changes nothing";
        MoveMouse(widget, QPoint(-20, 5));
        EXPECT_FALSE(link.m_bOver);
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
        EXPECT_TRUE(DrawnIn(widget, kLinkColour));

        MoveMouse(widget, QPoint(5, 5));
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return link.m_bVisited; }));
        EXPECT_EQ(m_opened, Words{std::string(kProductWebAddress) + " 5"});
        EXPECT_TRUE(DrawnIn(widget, kHoverColour));
        MoveMouse(widget, QPoint(5, widget->height() + 10));
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
        EXPECT_TRUE(DrawnIn(widget, kLinkColour)) << "visited links look like new ones";
        EXPECT_EQ(link.m_nBeeps, 0);
    });
    dialog.DoModal();
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty());
}

// The box takes the mouse while the pointer rests on the link: the hover
// ends with it, and the next movement over the link starts a new one.
TEST_F(HyperLinkTest, FailedClickClearsVisitedBeepsSaysWhyAndTheLinkStillHovers) {
    LinkDialog dialog;
    UiTestSeam::QueueMessageBoxAnswer(IDOK);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) {
        TestLink& link = dialog.m_Link;
        QWidget* widget = link.GetQtWidget();
        link.SetVisited(true);
        m_nOpenerResult = 26; // and no default browser to fall back on
        MoveMouse(widget, QPoint(5, 5));
        QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return link.m_nBeeps == 1; }));
        EXPECT_FALSE(link.m_bVisited);
        EXPECT_EQ(link.m_nBoxesBeforeBeep, 0U) << "the sound comes before the message";
        EXPECT_EQ(CWnd::GetCapture(), nullptr) << "the message box needs the mouse";
        EXPECT_FALSE(link.m_bOver);
        EXPECT_TRUE(DrawnIn(widget, kLinkColour)) << "the hover ended with the box";

        MoveMouse(widget, QPoint(6, 5));
        EXPECT_EQ(CWnd::GetCapture(), &link);
        EXPECT_TRUE(DrawnIn(widget, kHoverColour));
        MoveMouse(widget, QPoint(-20, 5));
        EXPECT_EQ(CWnd::GetCapture(), nullptr);
        EXPECT_TRUE(DrawnIn(widget, kLinkColour));
    });
    dialog.DoModal();
    const std::vector<ShownMessageBox> shown = UiTestSeam::MessageBoxes();
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_EQ(shown[0].text, "Unable to open hyperlink:\n\nA sharing violation occurred. ");
    EXPECT_EQ(shown[0].type, MB_ICONEXCLAMATION | MB_OK);
    EXPECT_EQ(shown[0].caption, AfxGetAppName());
}

// The opener's exit status decides: a failure takes the fallback to the
// default browser, and only when that fails too comes the sound and the box.
TEST_F(HyperLinkTest, AFailingOpenerFallsBackOrSaysWhyAndASucceedingOneShowsNothing) {
    LinkDialog dialog;
    const std::string browser = AddRecordingProgram("fakebrowser");
    UiTestSeam::QueueMessageBoxAnswer(IDOK);
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) {
        TestLink& link = dialog.m_Link;
        QWidget* widget = link.GetQtWidget();
        const auto click = [&] {
            link.m_bVisited = false;
            QTest::mouseClick(widget, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        };
        UseOpenerScript("exit 2"); // the file is not there
        click();
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return link.m_nBeeps == 1; }));
        ASSERT_EQ(UiTestSeam::MessageBoxes().size(), 1U);
        EXPECT_EQ(UiTestSeam::MessageBoxes()[0].text,
                  "Unable to open hyperlink:\n\nThe specified file was not found.");

        RegisterBrowser("fakebrowser.desktop", "fakebrowser %u");
        click();
        EXPECT_EQ(WaitForArguments(browser), Words{kProductWebAddress});
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return link.m_bVisited; }));
        std::filesystem::remove(browser);

        UseOpenerScript("exit 0");
        click();
        ASSERT_TRUE(test::ProcessEventsUntil([&] { return link.m_bVisited; }));
        EXPECT_FALSE(std::filesystem::exists(browser)) << "a browser ran after a success";
        EXPECT_EQ(link.m_nBeeps, 1);
    });
    dialog.DoModal();
    EXPECT_EQ(UiTestSeam::MessageBoxes().size(), 1U);
}

// An opener that keeps running (as xdg-open does while the browser it runs
// is open): the window goes on, and it closes without waiting for it and
// without a word about it.
TEST_F(HyperLinkTest, AnOpenerThatKeepsRunningNeitherFreezesNorHoldsTheWindow) {
    using Clock = std::chrono::steady_clock;
    LinkDialog dialog;
    const std::string pidFile = m_desktop.Root().File("opener.pid");
    UseOpenerScript("echo $$ > " + pidFile + ".tmp && mv " + pidFile + ".tmp " + pidFile +
                    "\nexec sleep 30");
    UiTestSeam::QueueModalAnswer(IDCANCEL, [&](CDialog&) {
        TestLink& link = dialog.m_Link;
        const Clock::time_point before = Clock::now();
        QTest::mouseClick(link.GetQtWidget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
        EXPECT_LT(Clock::now() - before, std::chrono::seconds(1)) << "the click waited";
        test::FakeDesktop::WaitForFile(pidFile);
        int nTicks = 0;
        EXPECT_TRUE(test::ProcessEventsUntil([&] { return ++nTicks > 20; }));
        EXPECT_EQ(link.m_nBeeps, 0);
    });
    const Clock::time_point closing = Clock::now();
    dialog.DoModal();
    EXPECT_LT(Clock::now() - closing, std::chrono::seconds(3)) << "the close waited";
    EXPECT_EQ(dialog.m_Link.m_nBeeps, 0);
    EXPECT_TRUE(UiTestSeam::MessageBoxes().empty());
    const std::string pid = test::FakeDesktop::WaitForFile(pidFile);
    if (!pid.empty()) {
        kill(std::stoi(pid), SIGTERM);
    }
}

TEST(ProductWebAddress, AProgramNotInstalledLinksToItsSourceTreesReadme) {
    test::TempDir dir;
    const std::string installed = "file://" + dir.File("share/doc/My%20Scout/README.md");
    const std::string source = "file://" + dir.File("src/README.md");
    EXPECT_EQ(ProductWebAddressFor(installed, source), installed) << "no source README either";
    std::filesystem::create_directories(dir.Path() / "src");
    dir.Write("src/README.md", "");
    EXPECT_EQ(ProductWebAddressFor(installed, source), source);
    EXPECT_EQ(ProductWebAddressFor(installed, ""), installed) << "an address set at build time";
    EXPECT_EQ(ProductWebAddressFor("https://198.18.0.1/", source), "https://198.18.0.1/");
    std::filesystem::create_directories(dir.Path() / "share/doc/My Scout");
    dir.Write("share/doc/My Scout/README.md", "");
    EXPECT_EQ(ProductWebAddressFor(installed, source), installed) << "installed: its own";
}

TEST_F(HyperLinkTest, ErrorTextsFollowTheCode) {
    CHyperLink link;
    const std::pair<int, const char*> cases[] = {
        {4, "Unknown Error (4) occurred."},
        {31, "There is no application associated\nwith the given filename extension."},
        {0, "The operating system is out\nof memory or resources."},
    };
    for (const auto& [code, text] : cases) {
        UiTestSeam::QueueMessageBoxAnswer(IDOK);
        link.ShowOpenError(code);
        EXPECT_EQ(UiTestSeam::MessageBoxes().back().text,
                  std::string("Unable to open hyperlink:\n\n") + text);
    }
}

TEST_F(HyperLinkTest, FallbackCutsTheBrowserCommandAtItsPlaceholder) {
    // Blanks, quotes and a $ stay in the one argument the browser gets.
    const std::string address = R"(file:///tmp/Node scout/"read"$HOME.md)";
    const struct {
        const char* exec;
        Words arguments;
    } cases[] = {
        {R"(quoted --new-window "%u" --dropped)", {"--new-window", address}},
        {"bare --url=%u --dropped", {"--url=", address}},
        {"none --flag", {"--flag", address}},
    };
    for (const auto& [exec, arguments] : cases) {
        const std::string program = std::string(exec).substr(0, std::string(exec).find(' '));
        SCOPED_TRACE(program);
        const std::string record = AddRecordingProgram(program);
        RegisterBrowser(program + ".desktop", exec);
        m_opened.clear();
        EXPECT_GT(CHyperLink::OpenUrl(address, SW_SHOW), 32);
        EXPECT_EQ(m_opened, Words{address + " 5"}) << "the desktop's opener is asked first";
        EXPECT_EQ(WaitForArguments(record), arguments);
    }
}

TEST_F(HyperLinkTest, FallbackFailuresGiveTheOpenersCodeOrTheStartsCode) {
    const std::string address = "http://198.18.0.1/";
    EXPECT_EQ(CHyperLink::OpenUrl(address, SW_SHOW), SE_ERR_NOASSOC) << "no default browser";
    m_nOpenerResult = 5;
    EXPECT_EQ(CHyperLink::OpenUrl(address, SW_SHOW), 5) << "the opener's own code";

    // The desktop names no default browser whose program it cannot find.
    m_nOpenerResult = SE_ERR_NOASSOC;
    RegisterBrowser("missing.desktop", "no-such-browser-anywhere %u");
    EXPECT_EQ(CHyperLink::OpenUrl(address, SW_SHOW), SE_ERR_NOASSOC);
    // Found, but it does not start: the start's own code.
    chmod(m_desktop.Root().Write("bin/orphan", "#!/no/such/interpreter\n").c_str(), 0755);
    RegisterBrowser("orphan.desktop", "orphan %u");
    EXPECT_EQ(CHyperLink::OpenUrl(address, SW_SHOW), 2);

    // Too long for the buffers: nothing starts rather than a cut command.
    const std::string tooLong = AddRecordingProgram("long");
    RegisterBrowser("long.desktop", "long --name=" + std::string(300, 'x') + " %u");
    EXPECT_EQ(CHyperLink::OpenUrl(address, SW_SHOW), SE_ERR_NOASSOC);
    RegisterBrowser("long.desktop", "long %u");
    EXPECT_EQ(CHyperLink::OpenUrl(address + std::string(600, 'a'), SW_SHOW), SE_ERR_NOASSOC);
    const std::string fits = AddRecordingProgram("fits");
    RegisterBrowser("fits.desktop", "fits %u");
    EXPECT_GT(CHyperLink::OpenUrl(address, SW_SHOW), 32);
    EXPECT_EQ(WaitForArguments(fits), Words{address});
    EXPECT_FALSE(std::filesystem::exists(tooLong)) << "a command that did not fit ran";

    m_nOpenerResult = 33; // success: the browser there is not started (that would give 42)
    EXPECT_EQ(CHyperLink::OpenUrl(address, SW_SHOW), 33);
}

} // namespace
} // namespace nodescout::ui_test
