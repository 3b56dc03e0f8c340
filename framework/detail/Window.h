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
#include <optional>
#include <source_location>
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
    UINT order = 0;                   // position in the template
    CDialog* dialog = nullptr;        // the dialog the window belongs to (or is)
    CWnd* attached = nullptr;         // the object standing for the window
    std::unique_ptr<CWnd> ownWrapper; // the framework's object while no other is bound
    std::weak_ptr<const CToolTipCtrl> toolTip;
    HICON icon = nullptr;
};

// The run state of a dialog: its window, controls and modal loop.
struct CDialog::Run {
    HWND__ self;
    std::vector<std::unique_ptr<HWND__>> controls; // template order
    QFont font;
    CSize baseUnits;
    std::optional<CMenu> systemMenu; // dialogs with WS_SYSMENU
    UINT defId = 0;
    QEventLoop* loop = nullptr;
    bool ended = false;
    int result = 0;
};

// The dialog's protected parts that the dialog widget uses.
struct DialogAccess {
    // WM_COMMAND with BN_CLICKED for id, as a click of that button sends it.
    static void Command(CDialog& dialog, int id);
};

namespace detail {

// ------------------------------------------------ texts

// A text of the program (single bytes) as the widgets show it, each byte
// its Windows-1252 character, and back: every byte survives the round
// trip. A character the user types that the code page lacks becomes '?'.
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

// ------------------------------------------------ control kinds

// Everything the framework knows of one control kind; a new kind is one more
// row of the table in Controls.cpp.
struct ControlKind {
    ControlClass kind;
    // The control's widget, made from its template.
    QWidget* (*createWidget)(HWND hWnd, const ControlTemplate& control, QWidget* parent);
    // The framework's own object for a control that no other object stands for.
    std::unique_ptr<CWnd> (*makeWrapper)();
    // Whether object is of the kind's class (or a class derived from it).
    bool (*isOfClass)(const CWnd& object);
    // Shows a change of window style (SS_NOTIFY on a static); may be null.
    void (*showStyle)(HWND hWnd);
};

const ControlKind& KindOf(ControlClass kind);
// Whether object may stand for the control: an object of a control class
// only for a control of that kind, any other object for any control.
bool FitsControl(const CWnd& object, HWND control);

QWidget* CreateButton(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateStatic(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateEdit(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateListView(HWND hWnd, const ControlTemplate& control, QWidget* parent);
QWidget* CreateProgress(HWND hWnd, const ControlTemplate& control, QWidget* parent);
void ApplyStaticStyle(HWND hWnd);

// Button variants by style (false or ~0 for a control that is no button).
DWORD ButtonType(HWND hWnd);
bool IsPushButton(HWND hWnd);
bool IsRadioButton(HWND hWnd);

// ------------------------------------------------ UI-thread helper

// UI thread only: runs body with the window's record and returns its
// result; fallback without a window.
template <class R, class F>
R OnUi(const CWnd* wnd, R fallback, F&& body,
       std::source_location caller = std::source_location::current()) {
    RequireUiThread(caller);
    HWND hWnd = wnd->GetSafeHwnd();
    return hWnd && hWnd->widget ? body(hWnd) : fallback;
}

// ------------------------------------------------ drawing and cursors

QIcon IconOf(HICON hIcon);
// Runs OnSetCursor for the object over widget; sets the widget's cursor.
void AskForCursor(HWND hWnd, QWidget* widget);
// The painter of the paint event running now for a window (CPaintDC).
void SetCurrentPainter(HWND hWnd, QPainter* painter);

// ------------------------------------------------ the dialog's widget

// The dialog's window (DialogWidget.cpp), also the event filter that every
// control's events pass first (PreTranslateMessage, mouse hooks, tooltips).
QWidget* CreateDialogWidget(HWND hWnd, CDialog* dialog, QWidget* owner, Qt::WindowFlags flags);

// The system menu of a dialog with WS_SYSMENU, and showing it as a popup
// whose items send WM_SYSCOMMAND.
void SetUpSystemMenu(CDialog::Run& run, DWORD style);
void ShowSystemMenu(CDialog& dialog, QWidget* owner, const QPoint& globalPosition);

// The tip of the tool under a point of a control (local to it; global on the screen).
void ShowToolTip(HWND hWnd, const QPoint& local, const QPoint& global);

// A QPainter handed to CDC, so drawing code can use a framework DC.
class PainterDC : public CDC {
public:
    explicit PainterDC(QPainter* painter) { m_pPainter = painter; }
};

} // namespace detail
} // namespace nodescout
