#include "platform/profile/PrivateProfile.h"

#include "platform/fs/AtomicFile.h"
#include "platform/profile/ProfileDocument.h"
#include "platform/profile/ProfileEdit.h"
#include "platform/profile/ProfileFile.h"
#include "platform/profile/ProfileText.h"
#include "platform/text/FixedText.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace nodescout {
namespace {

using profile::ProfileDocument;
using profile::TrimBlanks;

// Writes on different threads of this process take turns, so that one
// write's read-modify-replace cannot undo another's. Reads need no lock:
// the replacement by rename hands them the old file or the new one.
std::mutex g_profileWriteMutex;

std::string_view TrimmedArgument(const char* text) noexcept {
    return text != nullptr ? TrimBlanks(text) : std::string_view();
}

// The bytes of the file at path; nothing when there is no readable file,
// which reads treat like an empty file.
std::string ReadForLookup(const char* path) {
    if (path == nullptr) {
        return {};
    }
    profile::ProfileFile file = profile::ReadProfileFile(path);
    return std::move(file.bytes);
}

// The last file a thread looked values up in, with its parsing. The probe
// reads its settings before every address from a file that seldom changes
// and may hold a hundred ranges; when the bytes read are those of the last
// call, so is their parsing. Larger files are parsed anew each time rather
// than kept.
class LastParsedFile {
public:
    static constexpr std::size_t kMostKeptBytes = 64 * 1024;

    explicit LastParsedFile(std::string bytes) : m_bytes(std::move(bytes)), m_document(m_bytes) {}
    LastParsedFile(const LastParsedFile&) = delete;
    LastParsedFile& operator=(const LastParsedFile&) = delete;

    const std::string& Bytes() const noexcept { return m_bytes; }
    const ProfileDocument& Document() const noexcept { return m_document; }

private:
    std::string m_bytes;
    ProfileDocument m_document; // views m_bytes
};

thread_local std::unique_ptr<LastParsedFile> t_lastParsed;

const ProfileDocument& ParsedOnThisThread(std::string bytes) {
    if (t_lastParsed == nullptr || t_lastParsed->Bytes() != bytes) {
        t_lastParsed.reset();
        t_lastParsed = std::make_unique<LastParsedFile>(std::move(bytes));
    }
    return t_lastParsed->Document();
}

std::optional<std::string> LookUpValue(const ProfileDocument& document, const char* section,
                                       const char* key) {
    const profile::ProfileSection* found = document.FindSection(TrimmedArgument(section));
    const profile::ProfileLine* entry =
        found != nullptr ? document.FindEntry(*found, TrimmedArgument(key)) : nullptr;
    if (entry == nullptr) {
        return std::nullopt;
    }
    return document.ValueOf(*entry);
}

std::vector<std::optional<std::string>> LookUpValues(const ProfileDocument& document,
                                                     const char* section,
                                                     std::span<const char* const> keys) {
    std::vector<std::optional<std::string>> values(keys.size());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (keys[i] != nullptr) {
            values[i] = LookUpValue(document, section, keys[i]);
        }
    }
    return values;
}

std::uint32_t CopyValue(char* buffer, std::uint32_t size, std::string_view value) noexcept {
    return static_cast<std::uint32_t>(CopyText(buffer, size, value));
}

// Copies a list of names, each ended by a NUL, and the extra NUL that ends
// the list (an empty list is two NULs). A list that does not fit is cut to
// size - 2 characters and ended by two NULs; the result is then size - 2.
std::uint32_t CopyList(char* buffer, std::uint32_t size, std::string_view names) noexcept {
    if (size < 2) {
        return CopyValue(buffer, size, {});
    }
    const std::size_t length = names.size() < size ? names.size() : size - 2u;
    std::memcpy(buffer, names.data(), length);
    buffer[length] = '\0';
    if (names.empty() || length < names.size()) {
        buffer[length + 1] = '\0';
    }
    return static_cast<std::uint32_t>(length);
}

// The characters a string read hands out when it finds something; empty
// when the default applies.
std::optional<std::uint32_t> CopyFromFile(const char* section, const char* key, char* buffer,
                                          std::uint32_t size, const char* path) {
    const std::string bytes = ReadForLookup(path);
    const ProfileDocument document(bytes);
    if (section == nullptr) {
        return CopyList(buffer, size, document.SectionNameList());
    }
    if (key == nullptr) {
        const profile::ProfileSection* found = document.FindSection(TrimmedArgument(section));
        return CopyList(buffer, size, found != nullptr ? document.KeyNameList(*found) : "");
    }
    if (const std::optional<std::string> value = LookUpValue(document, section, key)) {
        return CopyValue(buffer, size, *value);
    }
    return std::nullopt;
}

// Names that a later read could not find again, or whose line ends would
// make new lines of the file, are refused: line ends anywhere, '=' or a
// leading '[' in a key, ']' in a section name. An empty key is the name of
// a line "=value".
bool IsWritableSection(std::string_view name) noexcept {
    return !name.empty() && name.find_first_of("\r\n]") == std::string_view::npos;
}

bool IsWritableKey(std::string_view name) noexcept {
    return !name.starts_with('[') && name.find_first_of("\r\n=") == std::string_view::npos;
}

// The value as the file gets it: blanks and line ends at its start dropped,
// as the classic function does.
std::string_view StoredValue(const char* value) noexcept {
    std::string_view text(value);
    while (!text.empty() &&
           (profile::IsBlank(text.front()) || text.front() == '\r' || text.front() == '\n')) {
        text.remove_prefix(1);
    }
    return text;
}

// A value's line ends would corrupt the file when one of its later lines is
// a section header or an entry: a read would then find another section or
// key that no one wrote. Blank lines and other text are left alone by reads.
bool IsWritableValue(std::string_view value) {
    const ProfileDocument lines(value);
    for (std::size_t index = 1; index < lines.Lines().size(); ++index) {
        const profile::LineKind kind = lines.Lines()[index].kind;
        if (kind == profile::LineKind::SectionHeader || kind == profile::LineKind::Entry) {
            return false;
        }
    }
    return true;
}

// The file's new bytes; empty when the write changes nothing.
std::optional<std::string> EditedBytes(const ProfileDocument& document, std::string_view section,
                                       const char* key, const char* value) {
    if (key == nullptr) {
        return profile::DeleteSection(document, section);
    }
    if (value == nullptr) {
        return profile::DeleteKey(document, section, TrimBlanks(key));
    }
    return profile::SetValue(document, section, TrimBlanks(key), StoredValue(value));
}

bool WriteToFile(std::string_view section, const char* key, const char* value, const char* path) {
    const std::lock_guard lock(g_profileWriteMutex);
    const std::optional<std::string> target = ResolveSymbolicLinks(path);
    if (!target) {
        return false;
    }
    const profile::ProfileFile old = profile::ReadProfileFile(*target);
    if (old.status == profile::FileStatus::Failed) {
        return false; // never replace a file that could not be read
    }
    const ProfileDocument document(old.bytes);
    const std::optional<std::string> edited = EditedBytes(document, section, key, value);
    const bool unchanged = old.status == profile::FileStatus::Read && edited == old.bytes;
    if (!edited || unchanged) {
        return true;
    }
    return !ReplaceFileContent(*target, *edited);
}

} // namespace

std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultValue, char* buffer, std::uint32_t size,
                                      const char* path) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    try {
        if (const std::optional<std::uint32_t> copied =
                CopyFromFile(section, key, buffer, size, path)) {
            return *copied;
        }
    } catch (const std::exception&) {
        // Out of memory on a huge file: the default, as for a missing file.
    }
    return CopyValue(buffer, size,
                     profile::CleanDefault(defaultValue != nullptr ? defaultValue : ""));
}

std::uint32_t GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                                   const char* path) {
    const char* const keys[] = {key};
    return ProfileIntOrDefault(GetPrivateProfileValues(section, keys, path)[0], defaultValue);
}

std::vector<std::optional<std::string>>
GetPrivateProfileValues(const char* section, std::span<const char* const> keys, const char* path) {
    std::vector<std::optional<std::string>> nothingFound(keys.size());
    if (section == nullptr) {
        return nothingFound;
    }
    try {
        std::string bytes = ReadForLookup(path);
        if (bytes.size() > LastParsedFile::kMostKeptBytes) {
            return LookUpValues(ProfileDocument(bytes), section, keys);
        }
        return LookUpValues(ParsedOnThisThread(std::move(bytes)), section, keys);
    } catch (const std::exception&) {
        return nothingFound; // out of memory on a huge file, as for a missing file
    }
}

std::uint32_t ProfileIntOrDefault(const std::optional<std::string>& value,
                                  int defaultValue) noexcept {
    return value && !value->empty() ? profile::ParseProfileInt(*value)
                                    : static_cast<std::uint32_t>(defaultValue);
}

bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path) {
    const std::string_view sectionName = TrimmedArgument(section);
    try {
        const bool writable = path != nullptr && *path != '\0' && IsWritableSection(sectionName) &&
                              (key == nullptr || IsWritableKey(TrimBlanks(key))) &&
                              (value == nullptr || IsWritableValue(StoredValue(value)));
        if (!writable) {
            return false;
        }
        return WriteToFile(sectionName, key, value, path);
    } catch (const std::exception&) {
        return false; // out of memory: nothing was replaced
    }
}

} // namespace nodescout
