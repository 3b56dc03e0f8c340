// The settings-file functions on any file a user might have edited by hand.
//
// Input: five control bytes, then the file's bytes.
//   byte 0, 1: the section and the key to use, chosen among the names found
//              in the file by a rough scan of its own and a few fixed names
//   byte 2:    the value a write uses, chosen the same way among values
//   byte 3:    the buffer size of the small reads (1 to 64, or 0)
//   byte 4:    bits 0-1: the write (set a value, delete the key, delete the
//              section); bit 2: the names in other case; bit 3: the names
//              padded with blanks; bit 4: no file at all
//
// Reads, checked for the chosen names and for null keys and sections:
// nothing is written outside the buffer, the result is terminated within it
// (a list by two terminators), a small buffer gets the start of what a large
// one gets, every listed key reads as found, the integer read agrees with
// the value read as text, and a missing key gives the default with its
// trailing spaces cut off and its quotes stripped.
//
// The write, checked: it fails only for names and values that would change
// other settings (a value fails when one of its later lines is a section
// header or an entry) and then leaves the file alone; after it succeeds the
// key reads back as the first line of the value (trimmed and unquoted) or,
// deleted, reads as missing; a set changes bytes within one line or adds
// whole lines, a delete only removes whole lines, so every other line stays
// as it was; and the other names still read as before.

#include "fuzz/FuzzSupport.h"
#include "platform/profile/PrivateProfile.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace nodescout {
namespace {

constexpr std::size_t kControlBytes = 5;
// Names of the file whose reads are compared before and after a write, and
// listed keys looked up again: enough to catch a misplaced line, few enough
// to keep a run fast.
constexpr std::size_t kMaxScannedNames = 4;
constexpr std::size_t kMaxListedKeysLookedUp = 8;
// No value can hold a line feed, so a read that gives this default found nothing.
constexpr char kNotFound[] = "\n";

enum class WriteKind { Set, DeleteKey, DeleteSection };

struct Control {
    std::uint8_t m_nSection = 0;
    std::uint8_t m_nKey = 0;
    std::uint8_t m_nValue = 0;
    std::uint32_t m_nBufferSize = 0;
    WriteKind m_writeKind = WriteKind::Set;
    bool m_bOtherCase = false;
    bool m_bPadded = false;
    bool m_bNoFile = false;
};

Control ReadControl(const std::uint8_t* bytes) {
    Control control;
    control.m_nSection = bytes[0];
    control.m_nKey = bytes[1];
    control.m_nValue = bytes[2];
    control.m_nBufferSize = bytes[3] % 65u;
    const unsigned write = bytes[4] & 3u;
    control.m_writeKind = write == 1   ? WriteKind::DeleteKey
                          : write == 2 ? WriteKind::DeleteSection
                                       : WriteKind::Set;
    control.m_bOtherCase = (bytes[4] & 4u) != 0;
    control.m_bPadded = (bytes[4] & 8u) != 0;
    control.m_bNoFile = (bytes[4] & 16u) != 0;
    return control;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsBlank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

std::string_view Unquoted(std::string_view text) {
    const bool quoted = text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
                        text.back() == text.front();
    return quoted ? text.substr(1, text.size() - 2) : text;
}

// The text a read hands out for a value.
std::string_view Cleaned(std::string_view text) {
    return Unquoted(Trimmed(text));
}

// The text a read hands out for a default: only trailing spaces go.
std::string_view CleanedDefault(std::string_view text) {
    while (!text.empty() && text.back() == ' ') {
        text.remove_suffix(1);
    }
    return Unquoted(text);
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char x, char y) { return fold(x) == fold(y); });
}

// A line with its line end (CR LF, LF or CR; none at the end of the file).
std::vector<std::string_view> Lines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        std::size_t end = bytes.find_first_of("\r\n");
        if (end == std::string_view::npos) {
            end = bytes.size();
        } else {
            end += bytes.substr(end, 2) == "\r\n" ? 2 : 1;
        }
        lines.push_back(bytes.substr(0, end));
        bytes.remove_prefix(end);
    }
    return lines;
}

// Names and values as a rough scan of the file finds them, and fixed ones
// that the program uses or that a file cannot hold.
struct Candidates {
    std::vector<std::string> m_sections = {"Profile", "IPRange", "", " ", "a]b", "x\ny"};
    std::vector<std::string> m_keys = {"MAC",      "Interval", "Count", "",
                                       ";comment", "[k",       "a=b",   "c\rd"};
    std::vector<std::string> m_values = {
        "",       "1",          "  spaced  ", "\"quoted\"", "\"",       "caf\xE9 \x80\x81",
        "'it's'", "0x7fffffff", "-12abc",     "a\nb",       "a\r\n[b]", "\r\n x=y"};
    std::vector<std::string> m_fileSections; // from the file, in order
    std::vector<std::string> m_fileKeys;
};

Candidates FindCandidates(std::string_view file) {
    Candidates found;
    for (std::string_view line : Lines(file)) {
        line = Trimmed(line.substr(0, line.find_first_of(std::string_view("\r\n\0", 3))));
        const std::size_t equals = line.find('=');
        if (line.starts_with('[')) {
            const std::string name(Trimmed(line.substr(1, line.find(']') - 1)));
            found.m_sections.push_back(name);
            found.m_fileSections.push_back(name);
        } else if (equals != std::string_view::npos) {
            const std::string key(Trimmed(line.substr(0, equals)));
            found.m_keys.push_back(key);
            found.m_fileKeys.push_back(key);
            found.m_values.emplace_back(line.substr(equals + 1));
        }
    }
    return found;
}

std::string Varied(std::string name, const Control& control) {
    if (control.m_bOtherCase) {
        for (char& c : name) {
            if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) {
                c = static_cast<char>(c ^ 0x20);
            }
        }
    }
    return control.m_bPadded ? " \t" + name + " " : name;
}

const std::string& Pick(const std::vector<std::string>& choices, std::uint8_t index) {
    return choices[index % choices.size()];
}

// What a read left in a buffer of exactly size bytes.
struct ReadResult {
    std::uint32_t m_nCount = 0;
    std::string m_strBytes; // the whole buffer
};

// Reads into a buffer of exactly size bytes, filled with a pattern first,
// so that AddressSanitizer stops any write past it.
ReadResult ReadInto(const char* section, const char* key, const char* defaultValue,
                    std::uint32_t size, const std::string& path) {
    const std::unique_ptr<char[]> buffer(new char[size]);
    std::memset(buffer.get(), '#', size);
    ReadResult result;
    result.m_nCount =
        GetPrivateProfileString(section, key, defaultValue, buffer.get(), size, path.c_str());
    result.m_strBytes.assign(buffer.get(), size);
    return result;
}

std::uint32_t LargeSize(std::string_view file) {
    return static_cast<std::uint32_t>(file.size() + 1024);
}

// A value read: terminated after the characters counted, no zero byte
// inside, and with a small buffer the start of the whole value.
std::string ReadValue(const char* section, const char* key, const char* defaultValue,
                      std::uint32_t smallSize, const std::string& path, std::uint32_t largeSize) {
    const ReadResult whole = ReadInto(section, key, defaultValue, largeSize, path);
    NODESCOUT_FUZZ_CHECK(whole.m_nCount < largeSize);
    const std::string value = whole.m_strBytes.substr(0, whole.m_nCount);
    NODESCOUT_FUZZ_CHECK(whole.m_strBytes[whole.m_nCount] == '\0');
    NODESCOUT_FUZZ_CHECK(value.find('\0') == std::string::npos);

    const ReadResult cut = ReadInto(section, key, defaultValue, smallSize, path);
    if (smallSize == 0) {
        NODESCOUT_FUZZ_CHECK(cut.m_nCount == 0);
        return value;
    }
    NODESCOUT_FUZZ_CHECK(cut.m_nCount < smallSize);
    NODESCOUT_FUZZ_CHECK(cut.m_strBytes[cut.m_nCount] == '\0');
    NODESCOUT_FUZZ_CHECK(cut.m_nCount == std::min<std::size_t>(value.size(), smallSize - 1));
    NODESCOUT_FUZZ_CHECK(value.starts_with(cut.m_strBytes.substr(0, cut.m_nCount)));
    return value;
}

std::optional<std::string> FoundValue(const char* section, const char* key, std::uint32_t smallSize,
                                      const std::string& path, std::uint32_t largeSize) {
    std::string value = ReadValue(section, key, kNotFound, smallSize, path, largeSize);
    if (value == kNotFound) {
        return std::nullopt;
    }
    return value;
}

// One read with a large buffer: what a key holds now.
std::optional<std::string> LookUp(const char* section, const char* key, const std::string& path,
                                  std::uint32_t largeSize) {
    const ReadResult whole = ReadInto(section, key, kNotFound, largeSize, path);
    NODESCOUT_FUZZ_CHECK(whole.m_nCount < largeSize && whole.m_strBytes[whole.m_nCount] == '\0');
    std::string value = whole.m_strBytes.substr(0, whole.m_nCount);
    if (value == kNotFound) {
        return std::nullopt;
    }
    return value;
}

// A name list: terminated names, the list ended by a second terminator
// within the buffer, and with a small buffer the start of the whole list.
std::string ReadList(const char* section, std::uint32_t smallSize, const std::string& path,
                     std::uint32_t largeSize) {
    const ReadResult whole = ReadInto(section, nullptr, kNotFound, largeSize, path);
    const std::uint32_t count = whole.m_nCount;
    NODESCOUT_FUZZ_CHECK(count + 1 < largeSize);
    NODESCOUT_FUZZ_CHECK(whole.m_strBytes[count] == '\0');
    NODESCOUT_FUZZ_CHECK(count == 0 || whole.m_strBytes[count - 1] == '\0');
    const std::string list = whole.m_strBytes.substr(0, count);
    NODESCOUT_FUZZ_CHECK(list.find(std::string_view("\0\0", 2)) == std::string::npos);
    NODESCOUT_FUZZ_CHECK(!list.starts_with('\0'));

    const ReadResult cut = ReadInto(section, nullptr, kNotFound, smallSize, path);
    if (smallSize == 0) {
        NODESCOUT_FUZZ_CHECK(cut.m_nCount == 0);
        return list;
    }
    NODESCOUT_FUZZ_CHECK(cut.m_nCount < smallSize);
    NODESCOUT_FUZZ_CHECK(cut.m_strBytes[cut.m_nCount] == '\0');
    const bool doublyEnded =
        (cut.m_nCount > 0 && cut.m_strBytes[cut.m_nCount - 1] == '\0') ||
        (cut.m_nCount + 1 < smallSize && cut.m_strBytes[cut.m_nCount + 1] == '\0');
    NODESCOUT_FUZZ_CHECK(smallSize == 1 || doublyEnded);
    NODESCOUT_FUZZ_CHECK(list.starts_with(cut.m_strBytes.substr(0, cut.m_nCount)));
    return list;
}

std::vector<std::string> ListNames(const std::string& list) {
    std::vector<std::string> names;
    for (std::size_t begin = 0; begin < list.size();) {
        const std::size_t end = list.find('\0', begin);
        names.push_back(list.substr(begin, end - begin));
        begin = end + 1;
    }
    return names;
}

// The integer rule written out once more: the first 29 characters, white
// space (up to the space) skipped, sign, "0x", "0o" or "0b" in lower case,
// digits of either case, wrapping modulo 2^32.
std::uint32_t ExpectedInt(std::string_view text) {
    text = text.substr(0, 29);
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ') {
        text.remove_prefix(1);
    }
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::uint32_t base = 10;
    if (text.starts_with("0x")) {
        base = 16;
    } else if (text.starts_with("0o")) {
        base = 8;
    } else if (text.starts_with("0b")) {
        base = 2;
    }
    if (base != 10) {
        text.remove_prefix(2);
    }
    std::uint32_t number = 0;
    for (const char c : text) {
        const char* digit = std::strchr("0123456789abcdef", c >= 'A' && c <= 'F' ? c + 32 : c);
        const std::uint32_t value = digit != nullptr && c != '\0'
                                        ? static_cast<std::uint32_t>(digit - "0123456789abcdef")
                                        : base;
        if (value >= base) {
            break;
        }
        number = number * base + value;
    }
    return negative ? 0u - number : number;
}

struct Reading {
    std::optional<std::string> m_value;
    std::string m_strKeyList;
};

// Every read of one section and key, checked; what it found.
Reading CheckReads(const std::string& section, const std::string& key, std::uint32_t smallSize,
                   const std::string& path, std::uint32_t largeSize) {
    Reading reading;
    reading.m_value = FoundValue(section.c_str(), key.c_str(), smallSize, path, largeSize);
    reading.m_strKeyList = ReadList(section.c_str(), smallSize, path, largeSize);

    const std::uint32_t number =
        GetPrivateProfileInt(section.c_str(), key.c_str(), -7, path.c_str());
    const bool hasNumber = reading.m_value && !reading.m_value->empty();
    NODESCOUT_FUZZ_CHECK(number == (hasNumber ? ExpectedInt(*reading.m_value) : 0u - 7u));
    return reading;
}

void CheckListedKeysAreFound(const std::string& section, const std::string& keyList,
                             const std::string& path, std::uint32_t largeSize) {
    const std::vector<std::string> keys = ListNames(keyList);
    for (std::size_t i = 0; i < keys.size(); ++i) {
        NODESCOUT_FUZZ_CHECK(!keys[i].empty() && !keys[i].starts_with(';'));
        if (i < kMaxListedKeysLookedUp) {
            NODESCOUT_FUZZ_CHECK(LookUp(section.c_str(), keys[i].c_str(), path, largeSize));
        }
    }
}

// The value as a write stores it: blanks and line ends at its start dropped.
std::string_view Stored(std::string_view value) {
    while (!value.empty() &&
           (IsBlank(value.front()) || value.front() == '\r' || value.front() == '\n')) {
        value.remove_prefix(1);
    }
    return value;
}

// What a read gives back after a value was set: its first line, cleaned.
std::string ReadBack(std::string_view value) {
    const std::string_view stored = Stored(value);
    return std::string(Cleaned(stored.substr(0, stored.find_first_of("\r\n"))));
}

// A later line of a stored value that a read would take for a setting.
bool AddsSetting(std::string_view line) {
    line = Trimmed(line.substr(0, line.find_first_of("\r\n")));
    const bool header = line.starts_with('[') && line.find(']') != std::string_view::npos;
    return header || line.find('=') != std::string_view::npos;
}

bool CanHold(std::string_view section, std::string_view key, std::string_view value) {
    section = Trimmed(section);
    key = Trimmed(key);
    const std::vector<std::string_view> lines = Lines(Stored(value));
    const bool addsSetting =
        lines.size() > 1 && std::any_of(lines.begin() + 1, lines.end(), AddsSetting);
    return !section.empty() && section.find_first_of("\r\n]") == std::string_view::npos &&
           !key.starts_with('[') && key.find_first_of("\r\n=") == std::string_view::npos &&
           !addsSetting;
}

// The bytes that differ: old[prefix, old.size() - suffix) became
// new[prefix, new.size() - suffix).
struct Change {
    std::string_view m_old;
    std::string_view m_new;
};

Change Difference(std::string_view before, std::string_view after) {
    std::size_t prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix]) {
        ++prefix;
    }
    std::size_t suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix]) {
        ++suffix;
    }
    return {before.substr(prefix, before.size() - prefix - suffix),
            after.substr(prefix, after.size() - prefix - suffix)};
}

bool HasLineEnd(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// A delete keeps the lines it does not remove: the new bytes are the old
// lines with some left out, each kept line byte for byte and in order. (Said
// of bytes, not of the lines a reader splits the result into: with a line
// ended by a lone CR before the removed lines and a blank line ended by LF
// after them, the two ends meet as one CR LF.) A UTF-8 byte-order mark stays
// at the start.
bool OnlyRemovesLines(std::string_view before, std::string_view after) {
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (before.starts_with(kByteOrderMark)) {
        if (!after.starts_with(kByteOrderMark)) {
            return false;
        }
        before.remove_prefix(kByteOrderMark.size());
        after.remove_prefix(kByteOrderMark.size());
    }
    // Every length of after that the old lines seen so far can build.
    std::vector<std::size_t> built = {0};
    for (const std::string_view line : Lines(before)) {
        const std::size_t count = built.size();
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t length = built[i] + line.size();
            if (after.substr(built[i]).starts_with(line) &&
                std::find(built.begin(), built.end(), length) == built.end()) {
                built.push_back(length);
            }
        }
    }
    return after.size() < before.size() &&
           std::find(built.begin(), built.end(), after.size()) != built.end();
}

void CheckWrite(const Control& control, const Candidates& names, const std::string& path) {
    const std::string section = Varied(Pick(names.m_sections, control.m_nSection), control);
    const std::string key = Varied(Pick(names.m_keys, control.m_nKey), control);
    const std::string& value = Pick(names.m_values, control.m_nValue);
    const fuzz::ScratchContent before = fuzz::ReadScratchFile(path);
    const std::uint32_t largeSize = LargeSize(before.m_strBytes) + 2048;

    // What the names of the file read before the write, to compare after it.
    std::vector<std::pair<std::string, std::string>> others;
    std::vector<std::optional<std::string>> othersBefore;
    for (std::size_t s = 0; s < names.m_fileSections.size() && s < kMaxScannedNames; ++s) {
        for (std::size_t k = 0; k < names.m_fileKeys.size() && k < kMaxScannedNames; ++k) {
            const std::string& otherSection = names.m_fileSections[s];
            const std::string& otherKey = names.m_fileKeys[k];
            const bool written = SameIgnoringCase(Trimmed(otherSection), Trimmed(section)) &&
                                 (control.m_writeKind == WriteKind::DeleteSection ||
                                  SameIgnoringCase(Trimmed(otherKey), Trimmed(key)));
            if (!written) {
                others.emplace_back(otherSection, otherKey);
                othersBefore.push_back(
                    LookUp(otherSection.c_str(), otherKey.c_str(), path, largeSize));
            }
        }
    }

    const char* keyArgument =
        control.m_writeKind == WriteKind::DeleteSection ? nullptr : key.c_str();
    const char* valueArgument = control.m_writeKind == WriteKind::Set ? value.c_str() : nullptr;
    const bool written =
        WritePrivateProfileString(section.c_str(), keyArgument, valueArgument, path.c_str());
    const fuzz::ScratchContent after = fuzz::ReadScratchFile(path);
    const bool holdable =
        CanHold(section, keyArgument != nullptr ? key : "x", valueArgument != nullptr ? value : "");
    NODESCOUT_FUZZ_CHECK(written == holdable);
    if (!written) {
        NODESCOUT_FUZZ_CHECK(after == before);
        return;
    }

    const Change change = Difference(before.m_strBytes, after.m_strBytes);
    switch (control.m_writeKind) {
    case WriteKind::Set:
        NODESCOUT_FUZZ_CHECK(after.m_bExists);
        NODESCOUT_FUZZ_CHECK(FoundValue(section.c_str(), key.c_str(), control.m_nBufferSize, path,
                                        largeSize) == ReadBack(value));
        // Within one line, or whole new lines: never across another line's end.
        NODESCOUT_FUZZ_CHECK(!HasLineEnd(change.m_old));
        break;
    case WriteKind::DeleteKey:
        NODESCOUT_FUZZ_CHECK(!LookUp(section.c_str(), key.c_str(), path, largeSize));
        NODESCOUT_FUZZ_CHECK(after.m_bExists == before.m_bExists);
        NODESCOUT_FUZZ_CHECK(after == before ||
                             OnlyRemovesLines(before.m_strBytes, after.m_strBytes));
        break;
    case WriteKind::DeleteSection:
        for (const std::string& listed : ListNames(ReadList(nullptr, 0, path, largeSize))) {
            NODESCOUT_FUZZ_CHECK(!SameIgnoringCase(listed, Trimmed(section)));
        }
        NODESCOUT_FUZZ_CHECK(after.m_bExists == before.m_bExists);
        NODESCOUT_FUZZ_CHECK(after == before ||
                             OnlyRemovesLines(before.m_strBytes, after.m_strBytes));
        break;
    }

    for (std::size_t i = 0; i < others.size(); ++i) {
        NODESCOUT_FUZZ_CHECK(LookUp(others[i].first.c_str(), others[i].second.c_str(), path,
                                    largeSize) == othersBefore[i]);
    }
}

void CheckFile(const std::uint8_t* data, std::size_t size) {
    static const std::string path = fuzz::ScratchFile("Scout.ini");
    const Control control = ReadControl(data);
    const std::string_view file(reinterpret_cast<const char*>(data) + kControlBytes,
                                size - kControlBytes);
    if (control.m_bNoFile) {
        ::unlink(path.c_str());
    } else {
        fuzz::WriteScratchFile(path, file);
    }
    const Candidates names = FindCandidates(control.m_bNoFile ? std::string_view() : file);
    const std::uint32_t largeSize = LargeSize(file);

    const std::string section = Varied(Pick(names.m_sections, control.m_nSection), control);
    const std::string key = Varied(Pick(names.m_keys, control.m_nKey), control);
    const Reading reading = CheckReads(section, key, control.m_nBufferSize, path, largeSize);
    CheckListedKeysAreFound(section, reading.m_strKeyList, path, largeSize);
    for (const std::string& listed :
         ListNames(ReadList(nullptr, control.m_nBufferSize, path, largeSize))) {
        NODESCOUT_FUZZ_CHECK(!listed.empty());
    }
    if (control.m_bNoFile) {
        NODESCOUT_FUZZ_CHECK(!reading.m_value && reading.m_strKeyList.empty());
    }

    // A default loses its trailing spaces and its quotes, and is cut like a value.
    const std::string& defaultValue = Pick(names.m_values, control.m_nValue);
    const std::string missing =
        ReadValue(section.c_str(), "no=key", defaultValue.c_str(), control.m_nBufferSize, path,
                  largeSize); // no key of a file holds '='
    NODESCOUT_FUZZ_CHECK(missing == CleanedDefault(defaultValue.c_str()));

    CheckWrite(control, names, path);
}

} // namespace
} // namespace nodescout

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < nodescout::kControlBytes) {
        return 0;
    }
    nodescout::CheckFile(data, size);
    return 0;
}
