#pragma once

// The framework's record of one window (what an HWND points to) and the
// helpers the framework's sources share. Includes Qt; only the framework's
// own sources include it.

#include "framework/Dialog.h"
#include "framework/Templates.h"
#include "framework/UiThread.h"
#include "framework/Wnd.h"

#include <QFont>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <string>
#include <string_view>
#include <utility>

class QEventLoop;

namespace nodescout {

struct HWND__ {
    QPointer<QWidget> widget;
    ControlClass kind = ControlClass::Static;
    bool isDialog = false;
    int id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    UINT order = 0;                   // position in the template
    CDialog* dialog = nullptr;        // the dialog the window belongs to (or is)
    CWnd* attached = nullptr;         // the object standing for the window
    std::unique_ptr<CWnd> ownWrapper; // the framework's object while no other is bound
    const CToolTipCtrl* toolTip = nullptr;
    HICON icon = nullptr;
};

// The run state of a dialog: its window, controls and modal loop.
struct CDialog::Run {
    HWND__ self;
    std::vector<std::unique_ptr<HWND__>> controls; // template order
    QFont font;
    CSize baseUnits;
    CMenu systemMenu;
    bool hasSystemMenu = false;
    UINT defId = 0;
    QEventLoop* loop = nullptr;
    bool ended = false;
    int result = 0;
};

namespace detail {

// ------------------------------------------------ texts

QString ToQt(std::string_view text);
std::string FromQt(const QString& text);

// ------------------------------------------------ records and widgets

// Mixed into every widget the framework creates, so an event finds its
// window, and window texts find the widget's way of showing them.
class WindowLink {
public:
    explicit WindowLink(HWND hWnd) : m_hWnd(hWnd) {}
    virtual ~WindowLink() = default;
    WindowLink(const WindowLink&) = delete;
    WindowLink& operator=(const WindowLink&) = delete;
    HWND Hwnd() const noexcept { return m_hWnd; }

    virtual void SetText(const QString& text) = 0;
    virtual QString Text() const = 0;

private:
    HWND m_hWnd;
};

// The window of a widget the framework created (or of the list a viewport
// belongs to), or null.
HWND HwndOfWidget(const QObject* object);
inline QWidget* WidgetOf(HWND hWnd) {
    return hWnd ? hWnd->widget.data() : nullptr;
}
template <class W>
W* WidgetAs(HWND hWnd) {
    return dynamic_cast<W*>(WidgetOf(hWnd));
}
// The object standing for a window; creates the framework's own wrapper of
// the control's class when nothing is bound yet.
CWnd* ObjectOf(HWND hWnd);

// The control with that ID in a dialog, or null.
HWND FindControl(const CDialog::Run& run, int id);
// The group (first and last template position) of the control at position
// order: from the WS_GROUP control at or before it (the first control starts
// one by itself) up to the next WS_GROUP control.
std::pair<std::size_t, std::size_t> GroupOf(const CDialog::Run& run, std::size_t order);

// Tells the control's dialog: WM_COMMAND with the notification code.
void NotifyCommand(HWND control, UINT code);
// Tells the control's dialog: WM_NOTIFY; returns the handler's result.
LRESULT NotifyParent(HWND control, NMHDR& header);

// ------------------------------------------------ control factories

QWidget* CreateButton(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateStatic(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateEdit(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateListView(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateProgress(HWND hWnd, const ControlTemplate& control, QWidget* parent);
// Window-style changes that a control shows (SS_NOTIFY on a static).
void ApplyStaticStyle(HWND hWnd);
// Windows that exist now (records are freed when their dialog goes).
bool IsLiveWindow(HWND hWnd);
void AddLiveWindow(HWND hWnd);
void RemoveLiveWindow(HWND hWnd);

// ------------------------------------------------ UI-thread helper

// Runs body on the UI thread with the window's record and returns its
// result; fallback without a window or when the calling worker is stopping.
template <class R, class F>
R OnUi(const CWnd* wnd, R fallback, F&& body) {
    return CallOnUiThread(fallback, [&]() -> R {
        HWND hWnd = wnd->GetSafeHwnd();
        return hWnd && hWnd->widget ? body(hWnd) : fallback;
    });
}

// ------------------------------------------------ drawing and cursors

QIcon IconOf(HICON hIcon);
// Runs OnSetCursor for the object over widget; sets the widget's cursor.
void AskForCursor(HWND hWnd, QWidget* widget);
// The painter of the paint event running now for a window (CPaintDC).
void SetCurrentPainter(HWND hWnd, QPainter* painter);
QPainter* CurrentPainter(HWND hWnd);

// A QPainter handed to CDC, so drawing code can use a framework DC.
class PainterDC : public CDC {
public:
    explicit PainterDC(QPainter* painter) { m_pPainter = painter; }
};

} // namespace detail
} // namespace nodescout
