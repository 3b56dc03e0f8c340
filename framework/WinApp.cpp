#include "framework/WinApp.h"

#include "framework/Templates.h"
#include "framework/TestSeam.h"
#include "framework/UiThread.h"
#include "framework/Wnd.h"
#include "framework/detail/UiCalls.h"
#include "framework/detail/Window.h"
#include "platform/process/CommandLineText.h"

#include <QApplication>
#include <QCloseEvent>
#include <QIcon>
#include <QImage>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QThread>

#include <filesystem>
#include <map>
#include <mutex>
#include <system_error>

namespace nodescout {

// Only the image: the QIcon is made at each use, when the GUI exists.
struct HICON__ {
    QImage image;
};

namespace {

CWinApp* g_pApp = nullptr;
std::unique_ptr<QApplication> g_pOwnedApplication;

std::string ProgramFileName() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : program.filename().string();
}

// A message box that, like Windows, cannot be escaped or closed when it has
// no button for that (Yes and No only).
class MessageBoxWidget : public QMessageBox {
public:
    MessageBoxWidget(QMessageBox::Icon icon, const QString& caption, const QString& text,
                     QMessageBox::StandardButtons buttons, QWidget* owner, bool canEscape)
        : QMessageBox(icon, caption, text, buttons, owner), m_bCanEscape(canEscape) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event->key() == Qt::Key_Escape && !m_bCanEscape) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!m_bCanEscape) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool m_bCanEscape;
};

// Yes/No boxes end with No as Escape would end them; the others with OK.
int EscapeResult(UINT type) {
    return (type & MB_TYPEMASK) == MB_YESNO ? IDNO : IDOK;
}

QMessageBox::Icon IconFor(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

int ShowMessageBox(const std::string& text, UINT type) {
    const bool yesNo = (type & MB_TYPEMASK) == MB_YESNO;
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner && AfxGetMainWnd()) {
        owner = AfxGetMainWnd()->GetQtWidget();
    }
    MessageBoxWidget box(IconFor(type), detail::ToQt(AfxGetAppName()), detail::ToQt(text),
                         yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, owner,
                         !yesNo);
    box.setDefaultButton(yesNo ? QMessageBox::Yes : QMessageBox::Ok);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return IDYES;
    case QMessageBox::No:
        return IDNO;
    default:
        return IDOK;
    }
}

} // namespace

// ============================================================ CWinApp

CWinApp::CWinApp(const char* pszAppName) : m_strAppName(pszAppName ? pszAppName : "") {
    g_pApp = this;
}

CWinApp::~CWinApp() {
    if (g_pApp == this) {
        g_pApp = nullptr;
    }
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::SetArguments(int argc, char** argv) {
    m_argc = argc;
    m_argv = argv;
    m_strCmdLine = JoinCommandLine(argc, argv);
    m_lpCmdLine = m_strCmdLine.c_str();
}

CWnd* AfxGetMainWnd() {
    return g_pApp ? g_pApp->m_pMainWnd : nullptr;
}

std::string AfxGetAppName() {
    if (!g_pApp) {
        return ProgramFileName();
    }
    std::string name = g_pApp->m_strAppName;
    if (name.empty()) {
        AfxLoadString(AFX_IDS_APP_TITLE, name); // leaves it empty when there is none
    }
    return name.empty() ? ProgramFileName() : name;
}

int AfxWinMain(int argc, char** argv) {
    CWinApp* app = g_pApp;
    if (!app) {
        return 0;
    }
    app->SetArguments(argc, argv);
    // The program's windows run modally inside InitInstance; there is no
    // message loop of the application's own afterwards.
    app->InitInstance();
    const int exitCode = app->ExitInstance();
    AfxShutdownUi();
    return exitCode;
}

// ============================================================ the UI

void AfxEnsureUi() {
    if (!QCoreApplication::instance()) {
        static int s_argc = 1;
        static char s_program[] = "nodescout";
        static char* s_argv[] = {s_program, nullptr};
        int& argc = g_pApp && g_pApp->Arguments() ? g_pApp->ArgumentCount() : s_argc;
        char** argv = g_pApp && g_pApp->Arguments() ? g_pApp->Arguments() : s_argv;
        g_pOwnedApplication = std::make_unique<QApplication>(argc, argv);
        QApplication::setStyle(QStringLiteral("Fusion"));
        QApplication::setApplicationName(detail::ToQt(AfxGetAppName()));
    }
    if (QCoreApplication::instance()->thread() == QThread::currentThread()) {
        detail::StartUiChannel();
    }
}

void AfxShutdownUi() {
    if (g_pOwnedApplication) {
        detail::StopUiChannel();
        g_pOwnedApplication.reset();
    }
}

// ============================================================ message boxes

int AfxMessageBox(const std::string& text, UINT nType, UINT) {
    if (!IsUiThread() && QCoreApplication::instance()) {
        return CallOnUiThread<int>(0, [&] { return AfxMessageBox(text, nType); });
    }
    // A modal box takes the mouse from whatever window captured it, as on
    // Windows; otherwise the box would not get its clicks.
    ReleaseCapture();
    ShownMessageBox shown{text, AfxGetAppName(), nType, 0};
    int answer = 0;
    if (UiTestSeam::TakeMessageBoxAnswer(answer)) {
        shown.result = answer;
    } else if (UiTestSeam::IsStrict()) {
        UiTestSeam::RecordUnanswered();
        shown.result = EscapeResult(nType);
    } else {
        AfxEnsureUi();
        shown.result = ShowMessageBox(text, nType);
    }
    const int result = shown.result;
    UiTestSeam::RecordMessageBox(std::move(shown));
    return result;
}

int AfxMessageBox(UINT nIDPrompt, UINT nType, UINT nIDHelp) {
    std::string text;
    AfxLoadString(nIDPrompt, text);
    return AfxMessageBox(text, nType, nIDHelp);
}

BOOL MessageBeep(UINT) {
    return CallOnUiThread<BOOL>(FALSE, []() -> BOOL {
        if (!QCoreApplication::instance()) {
            return FALSE;
        }
        QApplication::beep();
        return TRUE;
    });
}

// ============================================================ icons

HICON AfxLoadIcon(UINT nIDResource) {
    static std::mutex mutex;
    static std::map<UINT, std::unique_ptr<HICON__>> icons;
    std::lock_guard lock(mutex);
    if (auto found = icons.find(nIDResource); found != icons.end()) {
        return found->second.get();
    }
    const IconResource* resource = AfxFindIconResource(nIDResource);
    if (!resource) {
        return nullptr;
    }
    auto icon = std::make_unique<HICON__>();
    icon->image = QImage::fromData(static_cast<const uchar*>(resource->image),
                                   static_cast<int>(resource->size));
    if (icon->image.isNull()) {
        return nullptr;
    }
    return icons.emplace(nIDResource, std::move(icon)).first->second.get();
}

namespace detail {

QIcon IconOf(HICON hIcon) {
    return hIcon ? QIcon(QPixmap::fromImage(hIcon->image)) : QIcon();
}

} // namespace detail

} // namespace nodescout
