#pragma once

// Dialog templates and other resources as plain data, the way a resource
// script holds them: a dialog is a caption, a size, a font and a table of
// controls, each with ID, kind, text, styles and a position in dialog units.
// Dialog units become pixels through the dialog font's own metrics. A
// program hands its tables to the framework once at start with
// AfxAddResources.

#include "framework/Types.h"

#include <cstddef>
#include <span>
#include <string>

namespace nodescout {

// The window class of a control; the styles choose the variant (a Button
// with BS_AUTOCHECKBOX is a check box, a Static with SS_ICON an icon).
enum class ControlClass { Button, Static, Edit, ListView, Progress };

struct ControlTemplate {
    ControlClass kind = ControlClass::Static;
    const char* text = "";
    int id = IDC_STATIC;
    DWORD style = 0;
    int x = 0;
    int y = 0;
    int cx = 0;
    int cy = 0;
    UINT iconId = 0; // the icon resource of an SS_ICON static
};

struct DialogTemplate {
    UINT id = 0;
    DWORD style = 0;
    DWORD exStyle = 0;
    int cx = 0; // client size in dialog units
    int cy = 0;
    const char* caption = "";
    const char* fontFace = "MS Sans Serif";
    int fontPointSize = 8;
    std::span<const ControlTemplate> controls;
};

// The usual window style of a modal dialog.
inline constexpr DWORD kModalDialogStyle =
    DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU;

// ------------------------------------------------ resource-script statements
// Each adds the styles its resource-script statement implies (visible, and
// for example a tab stop on buttons and edits) to the extra style given.

constexpr ControlTemplate Control(const char* text, int id, ControlClass kind, DWORD style, int x,
                                  int y, int cx, int cy) {
    return ControlTemplate{kind, text, id, WS_CHILD | WS_VISIBLE | style, x, y, cx, cy, 0};
}
constexpr ControlTemplate PushButton(const char* text, int id, int x, int y, int cx, int cy,
                                     DWORD style = 0) {
    return Control(text, id, ControlClass::Button, BS_PUSHBUTTON | WS_TABSTOP | style, x, y, cx,
                   cy);
}
constexpr ControlTemplate DefPushButton(const char* text, int id, int x, int y, int cx, int cy,
                                        DWORD style = 0) {
    return Control(text, id, ControlClass::Button, BS_DEFPUSHBUTTON | WS_TABSTOP | style, x, y, cx,
                   cy);
}
constexpr ControlTemplate AutoRadioButton(const char* text, int id, int x, int y, int cx, int cy,
                                          DWORD style = 0) {
    return Control(text, id, ControlClass::Button, BS_AUTORADIOBUTTON | style, x, y, cx, cy);
}
constexpr ControlTemplate GroupBox(const char* text, int id, int x, int y, int cx, int cy,
                                   DWORD style = 0) {
    return Control(text, id, ControlClass::Button, BS_GROUPBOX | style, x, y, cx, cy);
}
constexpr ControlTemplate LText(const char* text, int id, int x, int y, int cx, int cy,
                                DWORD style = 0) {
    return Control(text, id, ControlClass::Static, SS_LEFT | WS_GROUP | style, x, y, cx, cy);
}
constexpr ControlTemplate Icon(UINT iconId, int id, int x, int y, int cx, int cy, DWORD style = 0) {
    ControlTemplate control = Control("", id, ControlClass::Static, SS_ICON | style, x, y, cx, cy);
    control.iconId = iconId;
    return control;
}
constexpr ControlTemplate EditText(int id, int x, int y, int cx, int cy, DWORD style = 0) {
    return Control("", id, ControlClass::Edit, ES_LEFT | WS_BORDER | WS_TABSTOP | style, x, y, cx,
                   cy);
}

// ------------------------------------------------ the resource tables

struct StringResource {
    UINT id = 0;
    const char* text = "";
};

// An icon as the bytes of an image file (PNG, BMP or XPM): an array of
// unsigned char, or the text of an XPM file.
struct IconResource {
    UINT id = 0;
    const void* image = nullptr;
    std::size_t size = 0;
};

struct ResourceTable {
    std::span<const DialogTemplate> dialogs;
    std::span<const StringResource> strings;
    std::span<const IconResource> icons;
};

// Makes a program's resources known. The table and everything it points to
// must live as long as the program (constant data does). Tables added later
// are searched first.
void AfxAddResources(const ResourceTable& table);
// Forgets a table added before (tests use their own tables).
void AfxRemoveResources(const ResourceTable& table);

// The dialog template with that ID, or null.
const DialogTemplate* AfxFindDialogTemplate(UINT id);
// The string resource with that ID into text; FALSE (and text empty) when
// there is none.
BOOL AfxLoadString(UINT id, std::string& text);
// The icon resource with that ID, or null.
const IconResource* AfxFindIconResource(UINT id);

} // namespace nodescout
