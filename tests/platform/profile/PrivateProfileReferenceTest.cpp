// Checks the settings-file functions against the reference table
// ini-vectors.tsv, recorded from the classic Win32 functions and kept in
// tests/data/. Every read result must match.
// A write must return the same result and leave a file that reads the same
// as the reference file (same sections and keys, same spelling and order,
// same values), with new lines spelled Key=Value and ended by CR LF; its
// bytes are not compared, because Nodescout keeps untouched lines as they
// were while the reference rewrites the whole file.

#include "platform/profile/PrivateProfile.h"
#include "platform/profile/ProfileText.h"
#include "platform/text/Windows1252.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout {
namespace {

using profile::TrimBlanks;
using test::TempDir;

// A byte column of the table: bytes, or nothing for <NULL> (a null pointer)
// and <NOFILE> (no file).
using Field = std::optional<std::string>;

const char* PointerOf(const Field& field) {
    return field ? field->c_str() : nullptr;
}

struct ReferenceRow {
    std::size_t line = 0;
    std::string id;
    std::string op;
    Field section;
    Field key;
    Field arg;
    std::string bufferSize;
    Field fileBefore;
    std::string result;
    Field out;
    Field fileAfter;
};

char EscapedByte(char letter) {
    switch (letter) {
    case 't':
        return '\t';
    case 'r':
        return '\r';
    case 'n':
        return '\n';
    case '0':
        return '\0';
    default:
        return letter; // backslash
    }
}

// Undoes the escapes \\ \t \r \n \0 \xHH.
std::string Unescape(std::string_view text) {
    std::string bytes;
    for (std::size_t index = 0; index < text.size(); ++index) {
        if (text[index] != '\\' || index + 1 == text.size()) {
            bytes.push_back(text[index]);
        } else if (text[index + 1] == 'x') {
            const std::string hex(text.substr(index + 2, 2));
            bytes.push_back(static_cast<char>(std::stoi(hex, nullptr, 16)));
            index += 3;
        } else {
            bytes.push_back(EscapedByte(text[++index]));
        }
    }
    return bytes;
}

Field ParseField(std::string_view text) {
    if (text == "<NULL>" || text == "<NOFILE>") {
        return std::nullopt;
    }
    return Unescape(text);
}

std::vector<std::string> SplitTabs(const std::string& line) {
    std::vector<std::string> columns;
    std::size_t begin = 0;
    for (std::size_t tab; (tab = line.find('\t', begin)) != std::string::npos; begin = tab + 1) {
        columns.push_back(line.substr(begin, tab - begin));
    }
    columns.push_back(line.substr(begin));
    return columns;
}

std::optional<std::string> FindReferenceTable() {
    const std::string kept = std::string(NODESCOUT_TEST_DATA_DIR) + "/ini-vectors.tsv";
    if (std::filesystem::exists(kept)) {
        return kept;
    }
    const char* configured = std::getenv("NODESCOUT_INI_VECTORS");
    if (configured != nullptr && std::filesystem::exists(configured)) {
        return std::string(configured);
    }
    return std::nullopt;
}

std::vector<ReferenceRow> LoadRows(const std::string& path) {
    std::vector<ReferenceRow> rows;
    std::ifstream in(path, std::ios::binary);
    std::string line;
    for (std::size_t number = 1; std::getline(in, line); ++number) {
        const std::vector<std::string> c = SplitTabs(line);
        if (number == 1) {
            continue; // the column names
        }
        if (c.size() != 11) {
            ADD_FAILURE() << path << " line " << number << " has " << c.size() << " columns";
            continue;
        }
        rows.push_back({number, c[0], c[2], ParseField(c[3]), ParseField(c[4]), ParseField(c[5]),
                        c[6], ParseField(c[7]), c[8], ParseField(c[9]), ParseField(c[10])});
    }
    return rows;
}

// The written file of these rows is UTF-16 in the reference; Nodescout
// treats such a file as single-byte text, so only the result and the value
// read back are compared.
bool IsUtf16Case(const ReferenceRow& row) {
    return row.id == "K14_utf16le_bom_only_write";
}

std::string ListOf(const char* section, const std::string& path) {
    std::vector<char> buffer(1 << 16);
    const std::uint32_t length =
        GetPrivateProfileString(section, nullptr, "", buffer.data(),
                                static_cast<std::uint32_t>(buffer.size()), path.c_str());
    return std::string(buffer.data(), length);
}

std::vector<std::string> NamesOf(const std::string& list) {
    std::vector<std::string> names;
    for (std::size_t begin = 0; begin < list.size(); begin = list.find('\0', begin) + 1) {
        names.push_back(list.substr(begin, list.find('\0', begin) - begin));
    }
    return names;
}

constexpr char kAbsent[] = "<absent>";

std::string ValueOf(const std::string& section, const std::string& key, const std::string& path) {
    std::vector<char> buffer(1 << 16);
    const std::uint32_t length =
        GetPrivateProfileString(section.c_str(), key.c_str(), kAbsent, buffer.data(),
                                static_cast<std::uint32_t>(buffer.size()), path.c_str());
    return std::string(buffer.data(), length);
}

// Both files hold the same sections and keys, spelled alike, in the same
// order, with the same values.
void ExpectSameSettings(const std::string& ours, const std::string& reference) {
    EXPECT_EQ(ListOf(nullptr, ours), ListOf(nullptr, reference)) << "section names";
    std::vector<std::string> sections = NamesOf(ListOf(nullptr, reference));
    sections.push_back(""); // the lines before the first section
    for (const std::string& section : sections) {
        const std::string keys = ListOf(section.c_str(), reference);
        EXPECT_EQ(ListOf(section.c_str(), ours), keys) << "key names of [" << section << "]";
        for (const std::string& key : NamesOf(keys)) {
            EXPECT_EQ(ValueOf(section, key, ours), ValueOf(section, key, reference))
                << "[" << section << "] " << key;
        }
    }
}

bool HasSection(const std::string& path, const std::string& section) {
    const std::vector<std::string> names = NamesOf(ListOf(nullptr, path));
    return std::any_of(names.begin(), names.end(), [&section](const std::string& name) {
        return profile::EqualsIgnoringCase(name, section);
    });
}

// The value as a write stores it: blanks and line ends at its start dropped.
std::string_view StoredValue(std::string_view value) {
    return value.substr(std::min(value.find_first_not_of(" \t\v\f\r\n"), value.size()));
}

// What a read gives back after a write: the first line of the stored value,
// trimmed and unquoted.
std::string_view ValueReadBack(std::string_view value) {
    const std::string_view stored = StoredValue(value);
    return profile::CleanValue(stored.substr(0, stored.find_first_of("\r\n")));
}

// A key new to its section is written as Key=Value CR LF on a line of its
// own; a new section is appended with its key at the end of the file.
void ExpectNewLines(const ReferenceRow& row, const std::string& before, const std::string& ours) {
    const bool utf8 = row.fileBefore && row.fileBefore->starts_with("\xEF\xBB\xBF");
    const auto asFileText = [utf8](std::string_view text) {
        return utf8 ? Windows1252ToUtf8(text) : std::string(text);
    };
    const std::string section(TrimBlanks(*row.section));
    const std::string key(TrimBlanks(*row.key));
    const std::string line = asFileText(key + "=" + std::string(StoredValue(*row.arg))) + "\r\n";
    const bool sectionIsNew = !HasSection(before, section);
    if (sectionIsNew) {
        EXPECT_TRUE(ours.ends_with("[" + asFileText(section) + "]\r\n" + line)) << ours;
    } else if (ValueOf(section, key, before) == kAbsent) {
        EXPECT_NE(ours.find("\n" + line), std::string::npos) << ours;
    }
}

class PrivateProfileReference : public ::testing::Test {
protected:
    void SetUp() override {
        const std::optional<std::string> table = FindReferenceTable();
        if (!table) {
            FAIL() << "ini-vectors.tsv not found in tests/data nor in NODESCOUT_INI_VECTORS";
        }
        m_rows = LoadRows(*table);
        ASSERT_FALSE(m_rows.empty()) << *table << " holds no rows";
    }

    // Runs check on every row of the operation, each in a fresh folder with
    // the row's file_before as "Scout.ini" (and a copy as "before.ini").
    template <typename Check>
    void ForEachRow(std::string_view op, Check check) {
        for (const ReferenceRow& row : m_rows) {
            if (row.op != op) {
                continue;
            }
            SCOPED_TRACE(row.id + " (line " + std::to_string(row.line) + ")");
            TempDir folder;
            if (row.fileBefore) {
                folder.Write("Scout.ini", *row.fileBefore);
                folder.Write("before.ini", *row.fileBefore);
            }
            check(row, folder);
        }
    }

    std::vector<ReferenceRow> m_rows;
};

TEST_F(PrivateProfileReference, StringReadsMatch) {
    ForEachRow("GetString", [](const ReferenceRow& row, const TempDir& folder) {
        constexpr std::size_t kGuard = 8;
        constexpr char kUntouched = '\x7f';
        const std::size_t size = std::stoul(row.bufferSize);
        std::vector<char> buffer(size + kGuard, kUntouched);
        const std::uint32_t result = GetPrivateProfileString(
            PointerOf(row.section), PointerOf(row.key), PointerOf(row.arg), buffer.data(),
            static_cast<std::uint32_t>(size), folder.File("Scout.ini").c_str());

        EXPECT_EQ(result, std::stoul(row.result));
        EXPECT_EQ(std::string(buffer.data(), result), row.out.value_or(""));
        if (size > 0) {
            EXPECT_EQ(buffer[result], '\0') << "terminator";
        }
        EXPECT_EQ(std::string(buffer.begin() + static_cast<std::ptrdiff_t>(size), buffer.end()),
                  std::string(kGuard, kUntouched))
            << "bytes past the buffer";
        EXPECT_EQ(folder.Read("Scout.ini"), row.fileBefore.value_or(""))
            << "a read changed the file";
    });
}

TEST_F(PrivateProfileReference, IntegerReadsMatch) {
    ForEachRow("GetInt", [](const ReferenceRow& row, const TempDir& folder) {
        const std::uint32_t result =
            GetPrivateProfileInt(PointerOf(row.section), PointerOf(row.key), std::stoi(*row.arg),
                                 folder.File("Scout.ini").c_str());
        EXPECT_EQ(result, std::stoul(row.result));
    });
}

TEST_F(PrivateProfileReference, WritesMatch) {
    ForEachRow("WriteString", [](const ReferenceRow& row, const TempDir& folder) {
        const std::string path = folder.File("Scout.ini");
        const bool written = WritePrivateProfileString(PointerOf(row.section), PointerOf(row.key),
                                                       PointerOf(row.arg), path.c_str());
        EXPECT_EQ(written, row.result == "1");
        if (!row.fileAfter) {
            EXPECT_FALSE(std::filesystem::exists(path)) << "no file expected";
            return;
        }
        ASSERT_TRUE(std::filesystem::exists(path)) << "the file should exist";
        const bool sets = row.section && row.key && row.arg;
        if (sets) {
            EXPECT_EQ(ValueOf(*row.section, *row.key, path), ValueReadBack(*row.arg))
                << "value read back";
        }
        if (IsUtf16Case(row)) {
            return;
        }
        ExpectSameSettings(path, folder.Write("reference.ini", *row.fileAfter));
        if (sets) {
            ExpectNewLines(row, folder.File("before.ini"), folder.Read("Scout.ini"));
        }
    });
}

} // namespace
} // namespace nodescout
