#pragma once

// The vocabulary of Nodescout's dialog framework: the scalar types, message
// numbers, styles and notification structures that window code speaks in.
// Values are those of the classic Windows API, so tables and algorithms can
// use the numbers they are written with (PBM_SETRANGE is 1025, IDOK is 1).
// No Qt header is included here.

#include <cstddef>
#include <cstdint>

namespace nodescout {

// ---------------------------------------------------------------- scalars

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using UINT_PTR = std::uintptr_t;
using INT_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;
using COLORREF = DWORD;

// Handles. A window handle names the framework's record of one window (a
// dialog or one of its controls); it is null when there is no window.
struct HWND__;
struct HICON__;
struct HCURSOR__;
struct HBRUSH__;
struct HDC__;
using HWND = HWND__*;
using HICON = HICON__*;
using HCURSOR = HCURSOR__*;
using HBRUSH = HBRUSH__*;
using HDC = HDC__*;

constexpr WORD LOWORD(DWORD_PTR value) noexcept {
    return static_cast<WORD>(value & 0xFFFF);
}
constexpr WORD HIWORD(DWORD_PTR value) noexcept {
    return static_cast<WORD>((value >> 16) & 0xFFFF);
}
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) noexcept {
    return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr LPARAM MAKELPARAM(WORD low, WORD high) noexcept {
    return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16));
}
constexpr COLORREF RGB(BYTE red, BYTE green, BYTE blue) noexcept {
    return static_cast<COLORREF>(red) | (static_cast<COLORREF>(green) << 8) |
           (static_cast<COLORREF>(blue) << 16);
}
constexpr BYTE GetRValue(COLORREF colour) noexcept {
    return static_cast<BYTE>(colour & 0xFF);
}
constexpr BYTE GetGValue(COLORREF colour) noexcept {
    return static_cast<BYTE>((colour >> 8) & 0xFF);
}
constexpr BYTE GetBValue(COLORREF colour) noexcept {
    return static_cast<BYTE>((colour >> 16) & 0xFF);
}

struct CPoint {
    LONG x = 0;
    LONG y = 0;
    friend bool operator==(const CPoint&, const CPoint&) = default;
};

struct CSize {
    LONG cx = 0;
    LONG cy = 0;
    friend bool operator==(const CSize&, const CSize&) = default;
};

struct CRect {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;

    LONG Width() const noexcept { return right - left; }
    LONG Height() const noexcept { return bottom - top; }
    bool PtInRect(CPoint point) const noexcept {
        return point.x >= left && point.x < right && point.y >= top && point.y < bottom;
    }
    friend bool operator==(const CRect&, const CRect&) = default;
};

// ---------------------------------------------------------------- results

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;
inline constexpr int IDC_STATIC = -1;

// ---------------------------------------------------------------- message boxes

inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_YESNO = 0x4;
inline constexpr UINT MB_TYPEMASK = 0xF;
inline constexpr UINT MB_ICONQUESTION = 0x20;
inline constexpr UINT MB_ICONEXCLAMATION = 0x30;
inline constexpr UINT MB_ICONINFORMATION = 0x40;
inline constexpr UINT MB_ICONMASK = 0xF0;

// ---------------------------------------------------------------- messages

inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;
inline constexpr UINT WM_INITMENUPOPUP = 0x0117;
inline constexpr UINT WM_MOUSEMOVE = 0x0200;
inline constexpr UINT WM_USER = 0x0400;

// Hit-test code passed with WM_SETCURSOR.
inline constexpr UINT HTCLIENT = 1;

// Colour request kinds.
inline constexpr UINT CTLCOLOR_STATIC = 6;

// System commands (WM_SYSCOMMAND); the low four bits are for the system.
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_CLOSE = 0xF060;

// Menus.
inline constexpr UINT MF_BYCOMMAND = 0x0000;
inline constexpr UINT MF_ENABLED = 0x0000;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_GRAYED = 0x0001;
inline constexpr UINT MF_DISABLED = 0x0002;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// ---------------------------------------------------------------- window styles

inline constexpr DWORD WS_POPUP = 0x80000000;
inline constexpr DWORD WS_CHILD = 0x40000000;
inline constexpr DWORD WS_VISIBLE = 0x10000000;
inline constexpr DWORD WS_CAPTION = 0x00C00000;
inline constexpr DWORD WS_BORDER = 0x00800000;
inline constexpr DWORD WS_VSCROLL = 0x00200000;
inline constexpr DWORD WS_SYSMENU = 0x00080000;
inline constexpr DWORD WS_THICKFRAME = 0x00040000;
inline constexpr DWORD WS_GROUP = 0x00020000;
inline constexpr DWORD WS_TABSTOP = 0x00010000;
inline constexpr DWORD WS_MINIMIZEBOX = 0x00020000; // on a top-level window
inline constexpr DWORD WS_MAXIMIZEBOX = 0x00010000; // on a top-level window

inline constexpr DWORD WS_EX_APPWINDOW = 0x00040000;

inline constexpr DWORD DS_SETFONT = 0x0040;
inline constexpr DWORD DS_MODALFRAME = 0x0080;

// Buttons.
inline constexpr DWORD BS_PUSHBUTTON = 0x0;
inline constexpr DWORD BS_DEFPUSHBUTTON = 0x1;
inline constexpr DWORD BS_AUTOCHECKBOX = 0x3;
inline constexpr DWORD BS_RADIOBUTTON = 0x4;
inline constexpr DWORD BS_GROUPBOX = 0x7;
inline constexpr DWORD BS_AUTORADIOBUTTON = 0x9;
inline constexpr DWORD BS_TYPEMASK = 0xF;
inline constexpr DWORD BS_PUSHLIKE = 0x1000;

// Static controls.
inline constexpr DWORD SS_LEFT = 0x00;
inline constexpr DWORD SS_ICON = 0x03;
inline constexpr DWORD SS_BLACKFRAME = 0x07;
inline constexpr DWORD SS_TYPEMASK = 0x1F;
inline constexpr DWORD SS_NOPREFIX = 0x80;
inline constexpr DWORD SS_NOTIFY = 0x100;

// Edits.
inline constexpr DWORD ES_LEFT = 0x0000;
inline constexpr DWORD ES_CENTER = 0x0001;
inline constexpr DWORD ES_RIGHT = 0x0002;
inline constexpr DWORD ES_MULTILINE = 0x0004;
inline constexpr DWORD ES_AUTOVSCROLL = 0x0040;
inline constexpr DWORD ES_AUTOHSCROLL = 0x0080;
inline constexpr DWORD ES_READONLY = 0x0800;
inline constexpr DWORD ES_WANTRETURN = 0x1000;

// List views.
inline constexpr DWORD LVS_REPORT = 0x0001;
inline constexpr DWORD LVS_SINGLESEL = 0x0004;
inline constexpr DWORD LVS_SHOWSELALWAYS = 0x0008;
inline constexpr DWORD LVS_EDITLABELS = 0x0200;

inline constexpr DWORD LVS_EX_FULLROWSELECT = 0x00000020;
inline constexpr DWORD LVS_EX_INFOTIP = 0x00000400;

// Progress bars.
inline constexpr DWORD PBS_SMOOTH = 0x01;

// ---------------------------------------------------------------- control messages

inline constexpr UINT BST_UNCHECKED = 0;
inline constexpr UINT BST_CHECKED = 1;

inline constexpr UINT PBM_SETRANGE = WM_USER + 1; // 1025
inline constexpr UINT PBM_SETPOS = WM_USER + 2;   // 1026
inline constexpr UINT PBM_SETSTEP = WM_USER + 4;  // 1028
inline constexpr UINT PBM_STEPIT = WM_USER + 5;   // 1029
inline constexpr UINT PBM_GETRANGE = WM_USER + 7; // 1031
inline constexpr UINT PBM_GETPOS = WM_USER + 8;   // 1032

// ---------------------------------------------------------------- notifications

inline constexpr UINT BN_CLICKED = 0;
inline constexpr UINT STN_CLICKED = 0;
inline constexpr UINT EN_CHANGE = 0x0300;

inline constexpr UINT NM_FIRST = 0;
inline constexpr UINT NM_DBLCLK = NM_FIRST - 3;
inline constexpr UINT LVN_FIRST = 0u - 100u;
inline constexpr UINT LVN_ITEMCHANGED = LVN_FIRST - 1;
inline constexpr UINT LVN_COLUMNCLICK = LVN_FIRST - 8;
inline constexpr UINT LVN_GETINFOTIP = LVN_FIRST - 57;

// List-view item flags and states.
inline constexpr UINT LVIS_FOCUSED = 0x0001;
inline constexpr UINT LVIS_SELECTED = 0x0002;
inline constexpr UINT LVNI_ALL = 0x0000;
inline constexpr UINT LVNI_SELECTED = 0x0002;
inline constexpr UINT LVIR_BOUNDS = 0;
inline constexpr int LVCFMT_LEFT = 0;

struct NMHDR {
    UINT_PTR idFrom = 0;
    UINT code = 0;
};

// LVN_ITEMCHANGED, LVN_COLUMNCLICK, and NM_DBLCLK of a list view.
struct NMLISTVIEW {
    NMHDR hdr;
    int iItem = -1;
    int iSubItem = 0;
    UINT uNewState = 0;
    UINT uOldState = 0;
};

using NMITEMACTIVATE = NMLISTVIEW;

// LVN_GETINFOTIP: the list asks for the info tip of the row (and column)
// under the pointer. A handler copies at most cchTextMax bytes, the last a
// terminating zero, into pszText; a tip left empty shows the cut cell text.
struct NMLVGETINFOTIP {
    NMHDR hdr;
    char* pszText = nullptr;
    int cchTextMax = 0;
    int iItem = -1;
    int iSubItem = 0;
};

// A mouse message about to be handled, as PreTranslateMessage
// sees it. Mouse positions are in the target window's client coordinates.
struct MSG {
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

// Standard cursors and system metrics.
inline constexpr int IDC_HAND = 32649;
inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;

// Stock objects and background modes for CDC.
inline constexpr int NULL_BRUSH = 5;
inline constexpr int TRANSPARENT = 1;

// Show commands.
inline constexpr int SW_SHOW = 5;

// The string resource that names the application when CWinApp gets no name.
inline constexpr UINT AFX_IDS_APP_TITLE = 0xE000; // 57344

} // namespace nodescout
