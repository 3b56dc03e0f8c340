#include "platform/profile/ProfileEdit.h"

#include "platform/profile/ProfileText.h"

#include <utility>
#include <vector>

namespace nodescout::profile {
namespace {

constexpr std::string_view kNewLineEnd = "\r\n";

// Replaces m_nLength bytes at m_nBegin by m_strText.
struct Splice {
    std::size_t m_nBegin = 0;
    std::size_t m_nLength = 0;
    std::string m_strText;
};

// Splices must be in file order and must not overlap.
std::string ApplySplices(std::string_view bytes, const std::vector<Splice>& splices) {
    std::string result;
    result.reserve(bytes.size() + 64);
    std::size_t offset = 0;
    for (const Splice& splice : splices) {
        result.append(bytes.substr(offset, splice.m_nBegin - offset)).append(splice.m_strText);
        offset = splice.m_nBegin + splice.m_nLength;
    }
    result.append(bytes.substr(offset));
    return result;
}

std::string NewEntryLine(const ProfileDocument& document, std::string_view key,
                         std::string_view value) {
    std::string line = document.ToFileText(key);
    line.append("=").append(document.ToFileText(value)).append(kNewLineEnd);
    return line;
}

// New lines that go after line; a last line without a line end gets one first.
Splice InsertAfter(const ProfileLine& line, std::string_view newLines) {
    std::string text(line.HasLineEnd() ? "" : kNewLineEnd);
    text.append(newLines);
    return {line.End(), 0, std::move(text)};
}

// The section's last line that is not blank, its header if it has no other.
const ProfileLine& LastLineWithText(const ProfileDocument& document,
                                    const ProfileSection& section) {
    const auto& lines = document.Lines();
    for (std::size_t index = section.m_nEndLine; index > section.m_nFirstLine; --index) {
        if (lines[index - 1].m_kind != LineKind::Blank) {
            return lines[index - 1];
        }
    }
    return lines[section.m_nHeaderLine];
}

std::string AppendSection(const ProfileDocument& document, std::string_view section,
                          std::string_view key, std::string_view value) {
    std::string newLines = "[" + document.ToFileText(section) + "]";
    newLines.append(kNewLineEnd).append(NewEntryLine(document, key, value));
    const auto& lines = document.Lines();
    if (lines.empty()) {
        return std::string(document.Bytes()) + newLines;
    }
    return ApplySplices(document.Bytes(), {InsertAfter(lines.back(), newLines)});
}

Splice RemoveLines(const ProfileDocument& document, std::size_t first, std::size_t end) {
    const auto& lines = document.Lines();
    const std::size_t begin = lines[first].m_nBegin;
    return {begin, lines[end - 1].End() - begin, ""};
}

} // namespace

std::string SetValue(const ProfileDocument& document, std::string_view section,
                     std::string_view key, std::string_view value) {
    const ProfileSection* found = document.FindSection(section);
    if (found == nullptr) {
        return AppendSection(document, section, key, value);
    }
    if (const ProfileLine* entry = document.FindEntry(*found, key)) {
        const std::size_t oldLength = entry->m_nBegin + entry->m_nLength - entry->m_nValueBegin;
        return ApplySplices(document.Bytes(),
                            {{entry->m_nValueBegin, oldLength, document.ToFileText(value)}});
    }
    const ProfileLine& last = LastLineWithText(document, *found);
    return ApplySplices(document.Bytes(), {InsertAfter(last, NewEntryLine(document, key, value))});
}

std::optional<std::string> DeleteKey(const ProfileDocument& document, std::string_view section,
                                     std::string_view key) {
    const ProfileSection* found = document.FindSection(section);
    if (found == nullptr) {
        return std::nullopt;
    }
    std::vector<Splice> removals;
    const auto& lines = document.Lines();
    for (std::size_t index = found->m_nFirstLine; index < found->m_nEndLine; ++index) {
        const ProfileLine& line = lines[index];
        if (line.m_kind == LineKind::Entry && EqualsIgnoringCase(line.m_strName, key)) {
            removals.push_back(RemoveLines(document, index, index + 1));
        }
    }
    if (removals.empty()) {
        return std::nullopt;
    }
    return ApplySplices(document.Bytes(), removals);
}

std::optional<std::string> DeleteSection(const ProfileDocument& document,
                                         std::string_view section) {
    std::vector<Splice> removals;
    for (const ProfileSection& candidate : document.Sections()) {
        if (candidate.HasHeader() && EqualsIgnoringCase(candidate.m_strName, section)) {
            removals.push_back(
                RemoveLines(document, candidate.m_nHeaderLine, candidate.m_nEndLine));
        }
    }
    if (removals.empty()) {
        return std::nullopt;
    }
    return ApplySplices(document.Bytes(), removals);
}

} // namespace nodescout::profile
