#pragma once

// The settings file's bytes seen as lines and sections, for lookups and for
// edits that leave every other byte alone.
//
// A line ends at CR LF, at a lone LF or at a lone CR; the last line may have
// no line end. A line's text stops at its first NUL byte. After trimming
// blanks, a line is
//   - a section header if it starts with '[' and holds a ']': the name is the
//     trimmed text between them, anything after the ']' is ignored;
//   - an entry if it holds '=': the trimmed text before the first '=' is the
//     key, the text after it the value (";Key=..." is an entry too, but key
//     lists leave it out as a comment; "=value" is an entry with an empty
//     name, which key lists leave out too);
//   - blank if nothing but blanks remains, and otherwise other text.
// Lines before the first header form a section with the empty name. When a
// section or key occurs twice, the first one counts.
//
// A file that starts with a UTF-8 byte-order mark is UTF-8: the mark is kept,
// names and values are handed out in Windows-1252, and text for new lines is
// written as UTF-8. Any other file is single-byte text taken as it is.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout::profile {

enum class LineKind { Blank, SectionHeader, Entry, Other };

struct ProfileLine {
    std::size_t begin = 0;     // offset of the line's first byte in the file
    std::size_t length = 0;    // bytes before the line end
    std::size_t endLength = 0; // bytes of the line end: 2, 1, or 0 at the end of the file
    LineKind kind = LineKind::Other;
    std::string name;           // header or entry: the name, trimmed, in Windows-1252
    std::size_t valueBegin = 0; // entry: offset just after the '='
    std::size_t valueEnd = 0;   // entry: offset where the line's text stops

    std::size_t End() const noexcept { return begin + length + endLength; }
    bool HasLineEnd() const noexcept { return endLength > 0; }
};

struct ProfileSection {
    static constexpr std::size_t kNoHeader = static_cast<std::size_t>(-1);

    std::string name;
    std::size_t headerLine = kNoHeader; // index of the header line; none before the first
    std::size_t firstLine = 0;          // first line after the header
    std::size_t endLine = 0;            // one past the section's last line

    bool HasHeader() const noexcept { return headerLine != kNoHeader; }
};

class ProfileDocument {
public:
    // Keeps a view of bytes, which must outlive the document.
    explicit ProfileDocument(std::string_view bytes);

    std::string_view Bytes() const noexcept { return m_bytes; }
    const std::vector<ProfileLine>& Lines() const noexcept { return m_lines; }
    const std::vector<ProfileSection>& Sections() const noexcept { return m_sections; }

    // The first section with that name, or null. The empty name finds the
    // lines before the first header.
    const ProfileSection* FindSection(std::string_view name) const noexcept;
    // The first entry of section with that key, or null. An empty key finds
    // an entry with an empty name, a line such as "=value".
    const ProfileLine* FindEntry(const ProfileSection& section,
                                 std::string_view key) const noexcept;

    // The entry's value trimmed and unquoted, in Windows-1252.
    std::string ValueOf(const ProfileLine& entry) const;
    // The names of every section header, in file order, each ended by a NUL
    // (headers with an empty name left out).
    std::string SectionNameList() const;
    // The key names of the section, in file order, each ended by a NUL
    // (comments and empty names left out).
    std::string KeyNameList(const ProfileSection& section) const;

    // Windows-1252 text as this file stores it.
    std::string ToFileText(std::string_view text) const;

private:
    void SplitLines(std::size_t offset);
    void ClassifyLine(ProfileLine& line) const;
    void GroupSections();
    std::string FromFileText(std::string_view text) const;

    std::string_view m_bytes;
    bool m_bUtf8 = false;
    std::vector<ProfileLine> m_lines;
    std::vector<ProfileSection> m_sections;
};

} // namespace nodescout::profile
