#include "platform/profile/ProfileEdit.h"

#include "platform/profile/ProfileText.h"

#include <utility>
#include <vector>

namespace nodescout::profile {
namespace {

constexpr std::string_view kNewLineEnd = "\r\n";

// Replaces length bytes at begin by text.
struct Splice {
    std::size_t begin = 0;
    std::size_t length = 0;
    std::string text;
};

// Splices must be in file order and must not overlap.
std::string ApplySplices(std::string_view bytes, const std::vector<Splice>& splices) {
    std::string result;
    result.reserve(bytes.size() + 64);
    std::size_t offset = 0;
    for (const Splice& splice : splices) {
        result.append(bytes.substr(offset, splice.begin - offset)).append(splice.text);
        offset = splice.begin + splice.length;
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
    for (std::size_t index = section.endLine; index > section.firstLine; --index) {
        if (lines[index - 1].kind != LineKind::Blank) {
            return lines[index - 1];
        }
    }
    return lines[section.headerLine];
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
    const std::size_t begin = lines[first].begin;
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
        const std::size_t oldLength = entry->begin + entry->length - entry->valueBegin;
        return ApplySplices(document.Bytes(),
                            {{entry->valueBegin, oldLength, document.ToFileText(value)}});
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
    for (std::size_t index = found->firstLine; index < found->endLine; ++index) {
        const ProfileLine& line = lines[index];
        if (line.kind == LineKind::Entry && EqualsIgnoringCase(line.name, key)) {
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
        if (candidate.HasHeader() && EqualsIgnoringCase(candidate.name, section)) {
            removals.push_back(RemoveLines(document, candidate.headerLine, candidate.endLine));
        }
    }
    if (removals.empty()) {
        return std::nullopt;
    }
    return ApplySplices(document.Bytes(), removals);
}

} // namespace nodescout::profile
