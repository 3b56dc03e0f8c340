// The saved-list loader on any Default.txt: the fuzzer's input is the file.
//
// Checked: the loader reports one row for every piece of the file (a line,
// or 1023 characters of a longer one), and each row's three texts are the
// words that follow the row number in that piece, found here by hand:
// terminated, shorter than the 1024-character fields, free of white space,
// and empty from the first field without a word. The row number is the
// first word whatever its text, except in a piece that begins with a TAB
// and whose first word is no number: that row's number is empty.
//
// Then the program's own cycle: the rows loaded are saved as the program
// saves them at exit and loaded again, and come back the same (rows whose
// saved line would be longer than one piece are left out: they come back in
// pieces, as any long line does).

#include "fuzz/FuzzSupport.h"
#include "platform/text/FixedText.h"
#include "store/ListFile.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout {
namespace {

constexpr std::size_t kPieceLength = 1023; // what one fgets of the 1024-byte line takes

using Row = std::array<std::string, 3>; // address, MAC text, name

// The pieces that fgets reads one at a time: up to a line feed (kept) or
// kPieceLength bytes, whichever comes first.
std::vector<std::string_view> Pieces(std::string_view file) {
    std::vector<std::string_view> pieces;
    while (!file.empty()) {
        const std::size_t feed = file.substr(0, kPieceLength).find('\n');
        const std::size_t length = feed == std::string_view::npos
                                       ? (file.size() < kPieceLength ? file.size() : kPieceLength)
                                       : feed + 1;
        pieces.push_back(file.substr(0, length));
        file.remove_prefix(length);
    }
    return pieces;
}

// White space as the C locale's isspace sees it.
bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

void SkipWhiteSpace(std::string_view& text) {
    while (!text.empty() && IsWhiteSpace(text.front())) {
        text.remove_prefix(1);
    }
}

std::string_view TakeWord(std::string_view& text) {
    SkipWhiteSpace(text);
    std::size_t length = 0;
    while (length < text.size() && !IsWhiteSpace(text[length])) {
        ++length;
    }
    const std::string_view word = text.substr(0, length);
    text.remove_prefix(length);
    return word;
}

bool IsNumber(std::string_view word) {
    if (!word.empty() && (word.front() == '+' || word.front() == '-')) {
        word.remove_prefix(1);
    }
    return !word.empty() && word.find_first_not_of("0123456789") == std::string_view::npos;
}

// What the scan of one piece gives: the string ends at its first zero byte.
Row ExpectedRow(std::string_view piece) {
    std::string_view text = piece.substr(0, piece.find('\0'));
    std::string_view rest = text;
    const std::string_view number = TakeWord(rest);
    if (!text.starts_with('\t') || IsNumber(number)) {
        text = rest;
    }
    Row row;
    for (std::string& field : row) {
        const std::string_view word = TakeWord(text);
        if (word.empty()) {
            break;
        }
        field = word;
    }
    return row;
}

std::string CheckedField(const char* text) {
    NODESCOUT_FUZZ_CHECK(text != nullptr);
    const std::size_t length = std::strlen(text);
    NODESCOUT_FUZZ_CHECK(length < kTextSize);
    return std::string(text, length);
}

std::vector<Row> Load(const std::string& path) {
    std::vector<Row> rows;
    const bool opened =
        ReadSavedList(path, [&rows](const char* ip, const char* mac, const char* name) {
            rows.push_back({CheckedField(ip), CheckedField(mac), CheckedField(name)});
        });
    NODESCOUT_FUZZ_CHECK(opened);
    return rows;
}

void CheckSavedAndLoadedAgain(const std::vector<Row>& loaded, const std::string& path) {
    std::vector<RowTexts> saved;
    std::vector<Row> expected;
    for (const Row& row : loaded) {
        const RowTexts texts = {std::to_string(saved.size() + 1), row[0], row[1], row[2]};
        if (FormatListLine(texts, '\t').size() <= kPieceLength) {
            saved.push_back(texts);
            expected.push_back(row);
        }
    }
    NODESCOUT_FUZZ_CHECK(!WriteListFile(path, saved, '\t'));
    NODESCOUT_FUZZ_CHECK(Load(path) == expected);
}

void CheckLoad(std::string_view file) {
    static const std::string path = fuzz::ScratchFile("Default.txt");
    fuzz::WriteScratchFile(path, file);

    const std::vector<Row> rows = Load(path);
    const std::vector<std::string_view> pieces = Pieces(file);
    NODESCOUT_FUZZ_CHECK(rows.size() == pieces.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        NODESCOUT_FUZZ_CHECK(rows[i] == ExpectedRow(pieces[i]));
    }
    CheckSavedAndLoadedAgain(rows, path);
}

} // namespace
} // namespace nodescout

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    nodescout::CheckLoad(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
