// The dialog templates, strings and icon of Nodescout, held the way a
// resource script holds them: one table of controls per dialog, in template
// (tab) order, with positions in dialog units.

#include "ui/Resources.h"

#include "platform/text/NumberText.h"
#include "ui/resource.h"

#include <filesystem>
#include <string_view>

namespace nodescout {

namespace {

// The path of a file address with its %XX escapes undone; empty for any
// other address.
std::string PathOfFileAddress(std::string_view address) {
    constexpr std::string_view kScheme = "file://";
    if (!address.starts_with(kScheme)) {
        return {};
    }
    address.remove_prefix(kScheme.size());
    std::string path;
    for (std::size_t i = 0; i < address.size(); ++i) {
        if (address[i] == '%' && i + 2 < address.size() && HexDigitValue(address[i + 1]) >= 0 &&
            HexDigitValue(address[i + 2]) >= 0) {
            path += static_cast<char>(HexDigitValue(address[i + 1]) * 16 +
                                      HexDigitValue(address[i + 2]));
            i += 2;
            continue;
        }
        path += address[i];
    }
    return path;
}

bool FileExists(const std::string& path) {
    std::error_code error;
    return !path.empty() && std::filesystem::exists(path, error);
}

const std::string& ChosenWebAddress() {
    static const std::string address =
        ProductWebAddressFor(NODESCOUT_HOME_PAGE, NODESCOUT_SOURCE_README);
    return address;
}

} // namespace

std::string ProductWebAddressFor(const std::string& configured, const std::string& sourceReadme) {
    const std::string installed = PathOfFileAddress(configured);
    if (sourceReadme.empty() || installed.empty() || FileExists(installed) ||
        !FileExists(PathOfFileAddress(sourceReadme))) {
        return configured;
    }
    return sourceReadme;
}

// Chosen once, before the templates below are set up (same file, earlier).
const char* const kProductWebAddress = ChosenWebAddress().c_str();

namespace {

// A small dialog: pop-up with caption, system menu and modal frame. It is
// shown by its modal run, so the template itself is not marked visible.
constexpr DWORD kSmallDialogStyle = DS_SETFONT | DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU;
// The main window: a visible pop-up with a minimise box, on the taskbar.
constexpr DWORD kMainWindowStyle = kModalDialogStyle | WS_MINIMIZEBOX;
constexpr DWORD kMainWindowExStyle = WS_EX_APPWINDOW;

constexpr const char* kFontFace = "MS Sans Serif";
constexpr int kFontPointSize = 8;

// Edits of the small dialogs: one line, scrolling sideways as text grows.
constexpr DWORD kLineEdit = ES_AUTOHSCROLL;
// The range list's edits take Enter themselves instead of pressing OK.
constexpr DWORD kWantReturnEdit = ES_AUTOHSCROLL | ES_MULTILINE | ES_WANTRETURN;

constexpr ControlTemplate Frame(int x, int y, int cx, int cy) {
    return Control("", IDC_STATIC, ControlClass::Static, SS_BLACKFRAME, x, y, cx, cy);
}
constexpr ControlTemplate ListView(int id, DWORD style, int x, int y, int cx, int cy) {
    return Control("", id, ControlClass::ListView, style | WS_BORDER | WS_TABSTOP, x, y, cx, cy);
}

// ------------------------------------------------ 100: About Nodescout

// The About box's height: its contents end at 33 dialog units (the second
// line), which leaves the same margin below as the icon has above.
constexpr int kAboutHeight = 41;

constexpr ControlTemplate kAboutControls[] = {
    Icon(IDR_MAINFRAME, IDC_STATIC, 7, 9, 20, 20),
    LText("Nodescout Version 2.0", IDC_STATIC, 40, 10, 119, 8, SS_NOPREFIX),
    LText("NetBIOS name and MAC scanner", IDC_STATIC, 40, 25, 119, 8),
    DefPushButton("OK", IDOK, 168, 12, 50, 14, WS_GROUP),
};

// ------------------------------------------------ 102: the main window

// Not constexpr: the link text is chosen when the program starts.
const ControlTemplate kMainControls[] = {
    ListView(IDC_LIST, LVS_REPORT | LVS_SHOWSELALWAYS | LVS_EDITLABELS, 14, 41, 311, 129),
    Frame(14, 34, 312, 1),
    PushButton("IP => MAC", IDC_IP_TO_MAC, 66, 11, 43, 15),
    Control("", IDC_PROGRESS, ControlClass::Progress, PBS_SMOOTH | WS_BORDER, 74, 178, 174, 11),
    PushButton("MAC => IP", IDC_MAC_TO_IP, 118, 11, 43, 15),
    PushButton("Retr All", IDC_RETR_ALL, 14, 11, 43, 15),
    PushButton("Export", IDC_EXPORT, 170, 11, 43, 15),
    PushButton("Clear", IDC_CLEAR, 284, 11, 43, 15),
    Frame(14, 196, 311, 1),
    PushButton("Wake On Lan", IDC_WAKE_ON_LAN, 222, 11, 53, 15),
    Control("Auto Scan", IDC_AUTO_SCAN, ControlClass::Button,
            BS_AUTOCHECKBOX | BS_PUSHLIKE | WS_TABSTOP, 17, 177, 49, 13),
    LText(kProductWebAddress, IDC_LINK, 15, 204, 189, 8),
    LText("", IDC_STATUS, 253, 179, 70, 8),
};

// ------------------------------------------------ 103: IP range list

constexpr ControlTemplate kRangeControls[] = {
    DefPushButton("OK", IDOK, 193, 105, 50, 14, WS_GROUP),
    LText("IP1", IDC_IP1_LABEL, 20, 13, 36, 8),
    EditText(IDC_IP1, 20, 26, 64, 12, kWantReturnEdit),
    LText("IP2", IDC_IP2_LABEL, 103, 13, 36, 8),
    EditText(IDC_IP2, 103, 26, 64, 12, kWantReturnEdit),
    ListView(IDC_RANGE_LIST, LVS_REPORT | LVS_SHOWSELALWAYS, 19, 44, 159, 97),
    PushButton("Add", IDC_ADD, 193, 44, 50, 14, WS_GROUP),
    PushButton("Edit", IDC_EDIT, 193, 65, 50, 14, WS_GROUP),
    PushButton("Remove", IDC_REMOVE, 193, 84, 50, 14, WS_GROUP),
    PushButton("Cancel", IDCANCEL, 193, 124, 50, 14, WS_GROUP),
    GroupBox("", IDC_STATIC, 7, 2, 246, 145),
};

// ------------------------------------------------ 104: one address

constexpr ControlTemplate kIpInputControls[] = {
    DefPushButton("OK", IDOK, 162, 8, 50, 14, WS_GROUP),
    LText("IP Address", IDC_IP_LABEL, 12, 20, 52, 8),
    EditText(IDC_IP, 75, 17, 68, 12, kLineEdit),
    PushButton("Cancel", IDCANCEL, 162, 27, 50, 14, WS_GROUP),
};

// ------------------------------------------------ 105: MAC search

constexpr ControlTemplate kFindMacControls[] = {
    DefPushButton("OK", IDOK, 165, 9, 50, 14, WS_GROUP),
    LText("IP Address 1", IDC_IP1_LABEL, 12, 11, 52, 8),
    EditText(IDC_IP1, 66, 9, 77, 12, kLineEdit),
    LText("IP Address 2", IDC_IP2_LABEL, 12, 28, 52, 8),
    EditText(IDC_IP2, 66, 27, 77, 12, kLineEdit),
    LText("MAC Address", IDC_MAC_LABEL, 11, 47, 52, 8),
    EditText(IDC_MAC, 65, 46, 77, 12, kLineEdit),
    PushButton("Cancel", IDCANCEL, 165, 27, 50, 14, WS_GROUP),
};

// ------------------------------------------------ 106: export format

// "Excel File" comes first and starts no group; "Text File" starts the
// group that the format is exchanged with. CExportFormatDlg makes the two
// one choice.
constexpr ControlTemplate kExportFormatControls[] = {
    AutoRadioButton("Excel File", IDC_EXCEL_FILE, 25, 38, 64, 10),
    AutoRadioButton("Text File", IDC_TEXT_FILE, 25, 20, 64, 10, WS_GROUP),
    PushButton("OK", IDOK, 140, 15, 50, 14),
    PushButton("Cancel", IDCANCEL, 140, 37, 50, 14),
    GroupBox("", IDC_STATIC, 7, 2, 203, 58),
};

// ------------------------------------------------ 107: the row editor

constexpr ControlTemplate kInfoControls[] = {
    DefPushButton("OK", IDOK, 173, 16, 50, 14, WS_GROUP),
    LText("IP Address", IDC_INFO_IP_LABEL, 23, 39, 52, 8),
    EditText(IDC_INFO_IP, 86, 38, 68, 12, kLineEdit),
    LText("MAC Address", IDC_INFO_MAC_LABEL, 23, 56, 52, 8),
    EditText(IDC_INFO_MAC, 86, 56, 68, 12, kLineEdit),
    GroupBox("", IDC_STATIC, 7, 2, 221, 93),
    // 56 units instead of the usual 52: the dialog font needs 54 for this text.
    LText("Computer Name", IDC_INFO_NAME_LABEL, 23, 73, 56, 8),
    EditText(IDC_INFO_NAME, 86, 71, 68, 12, kLineEdit),
    EditText(IDC_INFO_INDEX, 86, 18, 68, 12, kLineEdit),
    LText("Index", IDC_INFO_INDEX_LABEL, 23, 22, 52, 8),
    PushButton("Cancel", IDCANCEL, 173, 35, 50, 14, WS_GROUP),
};

// ------------------------------------------------ 108: auto-scan options

constexpr ControlTemplate kAutoScanControls[] = {
    DefPushButton("OK", IDOK, 198, 15, 50, 14, WS_GROUP),
    LText("Scan IP1", IDC_IP1_LABEL, 28, 16, 65, 8),
    EditText(IDC_IP1, 98, 12, 77, 12, kLineEdit),
    LText("Scan IP2", IDC_IP2_LABEL, 28, 32, 65, 8),
    EditText(IDC_IP2, 98, 29, 77, 12, kLineEdit),
    PushButton("Cancel", IDCANCEL, 198, 34, 50, 14, WS_GROUP),
    EditText(IDC_INTERVAL, 98, 47, 77, 12, kLineEdit),
    LText("Scan Interval(s)", IDC_STATIC, 28, 49, 65, 8),
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_ABOUTBOX, kSmallDialogStyle, 0, 242, kAboutHeight, "About Nodescout", kFontFace,
     kFontPointSize, kAboutControls},
    {IDD_NODESCOUT_DIALOG, kMainWindowStyle, kMainWindowExStyle, 341, 223, "Nodescout 2.1",
     kFontFace, kFontPointSize, kMainControls},
    {IDD_IPRANGE, kSmallDialogStyle, 0, 260, 156, "IP Range", kFontFace, kFontPointSize,
     kRangeControls},
    {IDD_IPINPUT, kSmallDialogStyle, 0, 235, 55, "", kFontFace, kFontPointSize, kIpInputControls},
    {IDD_FINDMAC, kSmallDialogStyle, 0, 235, 77, "", kFontFace, kFontPointSize, kFindMacControls},
    {IDD_EXPORT_FORMAT, kSmallDialogStyle, 0, 217, 67, "Export Format", kFontFace, kFontPointSize,
     kExportFormatControls},
    {IDD_INFO, kSmallDialogStyle, 0, 235, 103, "Info", kFontFace, kFontPointSize, kInfoControls},
    {IDD_AUTOSCAN, kSmallDialogStyle, 0, 276, 76, "Auto Scan Options", kFontFace, kFontPointSize,
     kAutoScanControls},
};

// ------------------------------------------------ strings

constexpr StringResource kStrings[] = {
    {IDS_ABOUTBOX, "&About Nodescout..."},
    {IDP_SOCKETS_INIT_FAILED, "Windows sockets initialization failed."},
    {IDS_STOPSCANNING, "&Stop Scanning"},
    {IDS_APP_TITLE, "Nodescout"},
};

// ------------------------------------------------ icon

// The application icon, 32 x 32: a magnifier over three linked network
// nodes on a blue tile, the node under the lens the one found.
constexpr char kAppIcon[] =
#include "NodescoutIcon.inc"
    ;

constexpr IconResource kIcons[] = {
    {IDR_MAINFRAME, kAppIcon, sizeof kAppIcon - 1},
};

constexpr ResourceTable kResources{kDialogs, kStrings, kIcons};

} // namespace

const ResourceTable& NodescoutResources() {
    return kResources;
}

} // namespace nodescout
