#include "store/ListFile.h"

#include "platform/fs/AtomicFile.h"
#include "platform/text/FixedText.h"

#include <cstdio>
#include <memory>

namespace nodescout {

std::string FormatListLine(const RowTexts& row, char separator) {
    std::string line;
    for (std::size_t column = 0; column < row.size(); ++column) {
        if (column > 0) {
            line += separator;
        }
        line += row[column];
    }
    line += "\r\n";
    return line;
}

std::error_code WriteListFile(const std::string& path, const std::vector<RowTexts>& rows,
                              char separator) {
    std::string content;
    for (const RowTexts& row : rows) {
        content += FormatListLine(row, separator);
    }
    return ReplaceFileContent(path, content);
}

bool ReadSavedList(const std::string& path,
                   const std::function<void(const char*, const char*, const char*)>& addRow) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                               &std::fclose);
    if (!file) {
        return false;
    }
    // A read error ends the loop as the end of the file does; waiting for
    // the end alone would spin for ever on a file that cannot be read.
    while (!std::feof(file.get()) && !std::ferror(file.get())) {
        char line[kTextSize];
        if (std::fgets(line, sizeof line, file.get()) == nullptr) {
            continue;
        }
        char ip[kTextSize] = "";
        char mac[kTextSize] = "";
        char name[kTextSize] = "";
        // The row number is matched and dropped (%*d): stored into an int, a
        // number too long for one would be undefined behaviour. The widths
        // only restate that no word of a 1023-character line can be longer
        // than the line.
        std::sscanf(line, "\t%*d\t%1023s\t%1023s\t%1023s", ip, mac, name);
        addRow(ip, mac, name);
    }
    return true;
}

} // namespace nodescout
