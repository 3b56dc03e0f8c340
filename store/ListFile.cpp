#include "store/ListFile.h"

#include "platform/fs/AtomicFile.h"
#include "platform/text/FixedText.h"

#include <cstdio>
#include <memory>

namespace nodescout {
namespace {

// White space as the C locale's isspace sees it, which ends a scanned word.
bool IsWhiteSpace(char c) noexcept {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

const char* SkipWhiteSpace(const char* text) noexcept {
    while (IsWhiteSpace(*text)) {
        ++text;
    }
    return text;
}

const char* SkipWord(const char* text) noexcept {
    while (*text != '\0' && !IsWhiteSpace(*text)) {
        ++text;
    }
    return text;
}

// A whole word of decimal digits with an optional sign, as the list
// numbers its rows (3, +3, -3).
bool IsNumber(const char* word, const char* end) noexcept {
    if (word != end && (*word == '+' || *word == '-')) {
        ++word;
    }
    if (word == end) {
        return false;
    }
    for (; word != end; ++word) {
        if (*word < '0' || *word > '9') {
            return false;
        }
    }
    return true;
}

// Where the address begins: past the first word, which holds the row
// number. The row editor lets the user type any text there, so a word that
// is no number is the row number too, unless the line begins with the TAB
// that follows an empty one.
const char* AfterRowNumber(const char* line) noexcept {
    const char* word = SkipWhiteSpace(line);
    const char* end = SkipWord(word);
    if (line[0] == '\t' && !IsNumber(word, end)) {
        return line;
    }
    return end;
}

} // namespace

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
        // The widths only restate that no word of a 1023-character line can
        // be longer than the line.
        std::sscanf(AfterRowNumber(line), "%1023s%1023s%1023s", ip, mac, name);
        addRow(ip, mac, name);
    }
    return true;
}

} // namespace nodescout
