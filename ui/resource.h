#pragma once

// The numbers of Nodescout's window resources: dialog templates, the
// controls on them, string resources, the application icon and the system
// menu's commands. The templates themselves are in ui/Resources.cpp.
//
// Control IDs are numbers within one template, so one number can carry a
// different name on another template (1013 is "Wake On Lan" on the main
// window and the MAC field of the MAC search); each name below says what
// the control is on the templates that use it.

#include "framework/Types.h"

namespace nodescout {

// ------------------------------------------------ dialog templates

inline constexpr UINT IDD_ABOUTBOX = 100;         // About Nodescout
inline constexpr UINT IDD_NODESCOUT_DIALOG = 102; // the main window
inline constexpr UINT IDD_IPRANGE = 103;          // the IP range list
inline constexpr UINT IDD_IPINPUT = 104;          // one address ("IP => MAC")
inline constexpr UINT IDD_FINDMAC = 105;          // the MAC search ("MAC => IP")
inline constexpr UINT IDD_EXPORT_FORMAT = 106;    // text or Excel file
inline constexpr UINT IDD_INFO = 107;             // the row editor
inline constexpr UINT IDD_AUTOSCAN = 108;         // auto-scan options

// ------------------------------------------------ strings, icon, menu command

inline constexpr UINT IDS_ABOUTBOX = 101;                // "&About Nodescout..."
inline constexpr UINT IDP_SOCKETS_INIT_FAILED = 103;     // "Windows sockets initialization failed."
inline constexpr UINT IDS_STOPSCANNING = 104;            // "&Stop Scanning"
inline constexpr UINT IDS_APP_TITLE = AFX_IDS_APP_TITLE; // 57344, "Nodescout"
inline constexpr UINT IDR_MAINFRAME = 128;               // the application icon
inline constexpr UINT IDM_ABOUTBOX = 0x0010;             // 16, the system menu's About command
inline constexpr UINT IDM_STOPSCANNING = 0x0020;         // 32, stops every walk (system menu)

// ------------------------------------------------ main window (102)

inline constexpr int IDC_LIST = 1000; // the result list
inline constexpr int IDC_IP_TO_MAC = 1001;
inline constexpr int IDC_PROGRESS = 1002;
inline constexpr int IDC_MAC_TO_IP = 1003;
inline constexpr int IDC_RETR_ALL = 1004;
inline constexpr int IDC_EXPORT = 1005;
inline constexpr int IDC_CLEAR = 1007;
inline constexpr int IDC_WAKE_ON_LAN = 1013;
inline constexpr int IDC_AUTO_SCAN = 1023;
inline constexpr int IDC_LINK = 1034;   // the web-link text
inline constexpr int IDC_STATUS = 1036; // the address being probed

// ------------------------------------------------ address fields (103, 104, 105, 107, 108)

inline constexpr int IDC_IP_LABEL = 1009;  // the address label (104, 107)
inline constexpr int IDC_IP = 1008;        // the one address (104)
inline constexpr int IDC_IP1_LABEL = 1009; // first address of a range (103, 105, 108)
inline constexpr int IDC_IP1 = 1012;
inline constexpr int IDC_IP2_LABEL = 1011; // last address of a range (103, 105, 108)
inline constexpr int IDC_IP2 = 1010;

// ------------------------------------------------ IP range list (103)

inline constexpr int IDC_RANGE_LIST = 1027;
inline constexpr int IDC_ADD = 3;
inline constexpr int IDC_EDIT = 4;
inline constexpr int IDC_REMOVE = 5;

// ------------------------------------------------ MAC search (105)

inline constexpr int IDC_MAC_LABEL = 1014;
inline constexpr int IDC_MAC = 1013;

// ------------------------------------------------ export format (106)

inline constexpr int IDC_EXCEL_FILE = 1014;
inline constexpr int IDC_TEXT_FILE = 1015; // starts the radio group

// ------------------------------------------------ row editor (107)

inline constexpr int IDC_INFO_IP_LABEL = 1009;
inline constexpr int IDC_INFO_IP = 1022;
inline constexpr int IDC_INFO_MAC_LABEL = 1010;
inline constexpr int IDC_INFO_MAC = 1011;
inline constexpr int IDC_INFO_NAME_LABEL = 1012;
inline constexpr int IDC_INFO_NAME = 1013;
inline constexpr int IDC_INFO_INDEX = 1026;
inline constexpr int IDC_INFO_INDEX_LABEL = 1014;

// ------------------------------------------------ auto-scan options (108)

inline constexpr int IDC_INTERVAL = 1024;

} // namespace nodescout
