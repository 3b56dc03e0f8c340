// The main window's files: the settings and the saved list it loads and
// saves, and the exports.

#include "ui/NodescoutDlg.h"

#include "platform/process/AppPaths.h"
#include "platform/shell/Shell.h"
#include "ui/ResultList.h"

#include <cstdio>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace nodescout {

namespace {

std::string SavedListPath() {
    return std::string(g_szAppDir.View()) + "/" + kSavedListFileName;
}

// Without a folder for its files (see InitAppPaths) Nodescout keeps nothing.
bool HasFileFolder() {
    return !g_szAppDir.IsEmpty() && !g_szIniPath.IsEmpty();
}

} // namespace

// ============================================================ settings and saved list

void CNodescoutDlg::LoadState() {
    if (!HasFileFolder()) {
        return;
    }
    const ProfileSettings profile = LoadProfileSettings(g_szIniPath.c_str());
    {
        std::lock_guard lock(m_fieldsMutex);
        m_szIP1 = profile.ip1;
        m_szIP2 = profile.ip2;
        m_szMac = profile.mac;
        m_nInterval = profile.interval;
    }
    const auto ranges = std::make_unique<RangeTable>();
    const int nCount = LoadRangeTable(g_szIniPath.c_str(), *ranges);
    SetRanges(*ranges, nCount);

    // Every line goes through the list's rules: numbered afresh, merged by MAC.
    std::vector<HostReport> lines;
    ReadSavedList(SavedListPath(), [&lines](const char* ip, const char* mac, const char* name) {
        lines.push_back(HostReport{ip, mac, name});
    });
    m_ResultList.AddOrUpdateRows(lines);
}

void CNodescoutDlg::SaveState() {
    if (!HasFileFolder()) {
        return;
    }
    ProfileSettings profile;
    {
        std::lock_guard lock(m_fieldsMutex);
        profile.ip1 = m_szIP1;
        profile.ip2 = m_szIP2;
        profile.mac = m_szMac;
        profile.interval = m_nInterval;
    }
    SaveProfileSettings(g_szIniPath.c_str(), profile);

    // A failed write leaves the old list as it was. The window is going, so
    // there is no one to ask; standard error says what was not kept.
    const std::string listPath = SavedListPath();
    if (const std::error_code error = WriteListFile(listPath, RowsOfList(), '\t')) {
        std::cerr << "nodescout: the list could not be saved to " << listPath << ": "
                  << error.message() << '\n';
    }

    const auto ranges = std::make_unique<RangeTable>();
    const int nCount = GetRanges(*ranges);
    SaveRangeTable(g_szIniPath.c_str(), *ranges, nCount);
}

// ============================================================ export

void CNodescoutDlg::ExportCsv() {
    ExportList(kCsvExportFileName, ',');
}

void CNodescoutDlg::ExportText() {
    ExportList(kTextExportFileName, '\t');
}

void CNodescoutDlg::ExportList(const char* fileName, char separator) {
    char path[kPathSize + 1];
    const int length = std::snprintf(path, sizeof path, "%s/%s", g_szAppDir.c_str(), fileName);
    std::error_code error;
    if (!HasFileFolder()) {
        error = std::make_error_code(std::errc::no_such_file_or_directory);
    } else if (length < 0 || static_cast<std::size_t>(length) >= sizeof path) {
        error = std::make_error_code(std::errc::filename_too_long);
    } else {
        // Written beside itself and renamed into place: a failed export
        // leaves the earlier file whole.
        error = WriteListFile(path, RowsOfList(), separator);
    }
    if (error) {
        AfxMessageBox("The export could not be written to " + std::string(path) + ": " +
                          error.message() + ".",
                      MB_OK | MB_ICONEXCLAMATION);
    }
    // The folder, not the file, whether or not the file was written.
    if (HasFileFolder()) {
        ShellExecuteOpen(g_szAppDir.c_str(), SW_SHOW);
    }
}

std::vector<RowTexts> CNodescoutDlg::RowsOfList() const {
    std::vector<RowTexts> rows;
    for (int nItem = 0; nItem < m_ListCtrl.GetItemCount(); ++nItem) {
        rows.push_back(RowTexts{m_ListCtrl.GetItemText(nItem, kNumberColumn),
                                m_ListCtrl.GetItemText(nItem, kAddressColumn),
                                m_ListCtrl.GetItemText(nItem, kMacColumn),
                                m_ListCtrl.GetItemText(nItem, kNameColumn)});
    }
    return rows;
}

} // namespace nodescout
