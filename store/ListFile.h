#pragma once

// The files that hold the result list's rows: the saved list Default.txt
// (tab-separated, read back at the next start) and the export files
// NetInfo.txt and NetInfo.csv. One line per row: the four column texts
// joined by the separator, ended by CR LF, written byte for byte.

#include <array>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace nodescout {

inline constexpr char kSavedListFileName[] = "Default.txt";
inline constexpr char kCsvExportFileName[] = "NetInfo.csv";  // fields separated by commas
inline constexpr char kTextExportFileName[] = "NetInfo.txt"; // fields separated by tabs

// The four texts of a row in column order: No., IP Address, MAC Address,
// Computer Name.
using RowTexts = std::array<std::string, 4>;

std::string FormatListLine(const RowTexts& row, char separator);

// Writes every row as one line. The file is written beside itself and
// renamed over the old one only when complete, so a failed write leaves
// the old file as it was.
std::error_code WriteListFile(const std::string& path, const std::vector<RowTexts>& rows,
                              char separator);

// Reads the saved list the way it has always been read: pieces of at most
// 1023 characters (a longer line gives several pieces), each taken as four
// words ended by white space: the row number, which is skipped, then the
// address, the MAC text and the name. The row number is the first word,
// whatever its text; only a piece that begins with a TAB and whose first
// word is no number ([+-]digits) has an empty one, and its first word is the
// address. Fields without a word stay empty. addRow gets (address, MAC
// text, name) for every piece, a blank line included. False when the file
// cannot be opened.
bool ReadSavedList(
    const std::string& path,
    const std::function<void(const char* ip, const char* mac, const char* name)>& addRow);

} // namespace nodescout
