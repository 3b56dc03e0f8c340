#include "platform/profile/ProfileDocument.h"

#include "platform/profile/ProfileText.h"
#include "platform/text/Windows1252.h"

namespace nodescout::profile {
namespace {

constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";

bool IsComment(std::string_view keyName) {
    return !keyName.empty() && keyName.front() == ';';
}

} // namespace

ProfileDocument::ProfileDocument(std::string_view bytes)
    : m_bytes(bytes), m_bUtf8(bytes.starts_with(kUtf8ByteOrderMark)) {
    SplitLines(m_bUtf8 ? kUtf8ByteOrderMark.size() : 0);
    for (ProfileLine& line : m_lines) {
        ClassifyLine(line);
    }
    GroupSections();
}

void ProfileDocument::SplitLines(std::size_t offset) {
    while (offset < m_bytes.size()) {
        ProfileLine line;
        line.begin = offset;
        const std::size_t lineEnd = m_bytes.find_first_of("\r\n", offset);
        if (lineEnd == std::string_view::npos) {
            line.length = m_bytes.size() - offset;
        } else {
            line.length = lineEnd - offset;
            const bool crlf = m_bytes.substr(lineEnd, 2) == "\r\n";
            line.endLength = crlf ? 2 : 1;
        }
        m_lines.push_back(line);
        offset = line.End();
    }
}

void ProfileDocument::ClassifyLine(ProfileLine& line) const {
    const std::string_view raw = m_bytes.substr(line.begin, line.length);
    if (TrimBlanks(raw).empty()) {
        line.kind = LineKind::Blank;
        return;
    }
    const std::string_view text = raw.substr(0, raw.find('\0'));
    const std::string_view trimmed = TrimBlanks(text);
    const std::size_t close = trimmed.find(']');
    if (trimmed.starts_with('[') && close != std::string_view::npos) {
        line.kind = LineKind::SectionHeader;
        line.name = FromFileText(TrimBlanks(trimmed.substr(1, close - 1)));
        return;
    }
    const std::size_t equals = text.find('=');
    if (equals != std::string_view::npos) {
        line.kind = LineKind::Entry;
        line.name = FromFileText(TrimBlanks(text.substr(0, equals)));
        line.valueBegin = line.begin + equals + 1;
        line.valueEnd = line.begin + text.size();
    }
}

void ProfileDocument::GroupSections() {
    m_sections.push_back(ProfileSection{});
    for (std::size_t index = 0; index < m_lines.size(); ++index) {
        if (m_lines[index].kind == LineKind::SectionHeader) {
            m_sections.back().endLine = index;
            m_sections.push_back({m_lines[index].name, index, index + 1, 0});
        }
    }
    m_sections.back().endLine = m_lines.size();
}

const ProfileSection* ProfileDocument::FindSection(std::string_view name) const noexcept {
    for (const ProfileSection& section : m_sections) {
        if (EqualsIgnoringCase(section.name, name)) {
            return &section;
        }
    }
    return nullptr;
}

const ProfileLine* ProfileDocument::FindEntry(const ProfileSection& section,
                                              std::string_view key) const noexcept {
    for (std::size_t index = section.firstLine; index < section.endLine; ++index) {
        const ProfileLine& line = m_lines[index];
        if (line.kind == LineKind::Entry && EqualsIgnoringCase(line.name, key)) {
            return &line;
        }
    }
    return nullptr;
}

std::string ProfileDocument::ValueOf(const ProfileLine& entry) const {
    const std::string_view value =
        m_bytes.substr(entry.valueBegin, entry.valueEnd - entry.valueBegin);
    const std::string decoded = FromFileText(value);
    return std::string(CleanValue(decoded));
}

std::string ProfileDocument::SectionNameList() const {
    std::string names;
    for (const ProfileSection& section : m_sections) {
        if (section.HasHeader() && !section.name.empty()) {
            names.append(section.name).push_back('\0');
        }
    }
    return names;
}

std::string ProfileDocument::KeyNameList(const ProfileSection& section) const {
    std::string names;
    for (std::size_t index = section.firstLine; index < section.endLine; ++index) {
        const ProfileLine& line = m_lines[index];
        if (line.kind == LineKind::Entry && !line.name.empty() && !IsComment(line.name)) {
            names.append(line.name).push_back('\0');
        }
    }
    return names;
}

std::string ProfileDocument::ToFileText(std::string_view text) const {
    return m_bUtf8 ? Windows1252ToUtf8(text) : std::string(text);
}

std::string ProfileDocument::FromFileText(std::string_view text) const {
    return m_bUtf8 ? Utf8ToWindows1252(text) : std::string(text);
}

} // namespace nodescout::profile
