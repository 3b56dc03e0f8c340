// The framework's window records: from widgets to windows to the objects
// that stand for them, and the notifications controls send their dialog.

#include "framework/detail/Window.h"

#include "platform/text/Windows1252.h"

#include <algorithm>
#include <cstring>
#include <set>

namespace nodescout::detail {

namespace {

std::set<HWND>& LiveWindows() {
    static std::set<HWND> windows; // UI thread only
    return windows;
}

} // namespace

QString ToQt(std::string_view text) {
    const std::string utf8 = Windows1252ToUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string FromQt(const QString& text) {
    return Utf8ToWindows1252(text.toStdString());
}

HWND HwndOfWidget(const QObject* object) {
    for (const QObject* current = object; current; current = current->parent()) {
        if (const auto* link = dynamic_cast<const WindowLink*>(current)) {
            return link->Hwnd();
        }
        if (current->isWidgetType() && static_cast<const QWidget*>(current)->isWindow()) {
            break;
        }
    }
    return nullptr;
}

CWnd* ObjectOf(HWND hWnd) {
    if (!hWnd) {
        return nullptr;
    }
    if (hWnd->attached) {
        return hWnd->attached;
    }
    if (!hWnd->ownWrapper) {
        hWnd->ownWrapper = KindOf(hWnd->kind).makeWrapper();
    }
    hWnd->ownWrapper->Attach(hWnd);
    return hWnd->attached;
}

CDialog::Run* RunOf(const CWnd* wnd) {
    HWND hWnd = wnd->GetSafeHwnd();
    return hWnd && hWnd->isDialog && hWnd->dialog ? hWnd->dialog->GetRun() : nullptr;
}

int CopyOut(const std::string& text, char* buffer, int nMaxCount) {
    if (!buffer || nMaxCount <= 0) {
        return 0;
    }
    const auto length = std::min<std::size_t>(text.size(), static_cast<std::size_t>(nMaxCount - 1));
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

HWND FindControl(const CDialog::Run& run, int id) {
    for (const auto& control : run.controls) {
        if (control->id == id) {
            return control.get();
        }
    }
    return nullptr;
}

std::pair<std::size_t, std::size_t> GroupOf(const CDialog::Run& run, std::size_t order) {
    const auto& controls = run.controls;
    std::size_t first = order;
    while (first > 0 && !(controls[first]->style & WS_GROUP)) {
        --first;
    }
    std::size_t last = order;
    while (last + 1 < controls.size() && !(controls[last + 1]->style & WS_GROUP)) {
        ++last;
    }
    return {first, last};
}

void NotifyCommand(HWND control, UINT code) {
    if (control && control->dialog) {
        AfxCallWindowProc(control->dialog, WM_COMMAND,
                          MAKEWPARAM(static_cast<WORD>(control->id), static_cast<WORD>(code)),
                          reinterpret_cast<LPARAM>(control));
    }
}

LRESULT NotifyParent(HWND control, NMHDR& header) {
    if (!control || !control->dialog) {
        return 0;
    }
    header.hwndFrom = control;
    header.idFrom = static_cast<UINT_PTR>(control->id);
    return AfxCallWindowProc(control->dialog, WM_NOTIFY, header.idFrom,
                             reinterpret_cast<LPARAM>(&header));
}

bool IsLiveWindow(HWND hWnd) {
    return LiveWindows().contains(hWnd);
}

void AddLiveWindow(HWND hWnd) {
    LiveWindows().insert(hWnd);
}

void RemoveLiveWindow(HWND hWnd) {
    LiveWindows().erase(hWnd);
}

DWORD ButtonType(HWND hWnd) {
    return hWnd && hWnd->kind == ControlClass::Button ? (hWnd->style & BS_TYPEMASK) : ~DWORD{0};
}

bool IsPushButton(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsRadioButton(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

} // namespace nodescout::detail
