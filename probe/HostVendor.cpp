#include "probe/HostVendor.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace nodescout {

namespace {

constexpr std::uint32_t kLocallyAdministered = 0x020000; // bit 0x02 of the first byte

std::string_view Trimmed(std::string_view text) {
    const auto blank = [](char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

// Six hexadecimal digits, with or without dashes between the pairs.
std::optional<std::uint32_t> HexOui(std::string_view text, bool dashed) {
    const std::size_t length = dashed ? 8 : 6;
    if (text.size() != length) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (dashed && i % 3 == 2) {
            if (c != '-') {
                return std::nullopt;
            }
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        const int digit =
            std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = value << 4 | static_cast<std::uint32_t>(digit);
    }
    return value;
}

// "00-00-0C   (hex)\t\tMaker"
std::optional<VendorEntry> ParseTextLine(std::string_view line) {
    constexpr std::string_view kHex = "(hex)";
    const std::size_t mark = line.find(kHex);
    if (mark == std::string_view::npos) {
        return std::nullopt;
    }
    const auto oui = HexOui(Trimmed(line.substr(0, mark)), true);
    const std::string_view maker = Trimmed(line.substr(mark + kHex.size()));
    if (!oui || maker.empty()) {
        return std::nullopt;
    }
    return VendorEntry{*oui, std::string(maker)};
}

// One CSV field from position at on; at ends past its comma.
std::string CsvField(std::string_view line, std::size_t& at) {
    std::string field;
    if (at < line.size() && line[at] == '"') {
        for (++at; at < line.size(); ++at) {
            if (line[at] == '"') {
                if (at + 1 < line.size() && line[at + 1] == '"') {
                    field += '"';
                    ++at;
                    continue;
                }
                ++at;
                break;
            }
            field += line[at];
        }
    }
    const std::size_t comma = std::min(line.find(',', at), line.size());
    field += line.substr(at, comma - at);
    at = comma + 1;
    return field;
}

// "MA-L,00000C,Maker,Address"
std::optional<VendorEntry> ParseCsvLine(std::string_view line) {
    std::size_t at = 0;
    if (CsvField(line, at) != "MA-L" || at > line.size()) {
        return std::nullopt;
    }
    const auto oui = HexOui(CsvField(line, at), false);
    if (!oui || at > line.size()) {
        return std::nullopt;
    }
    const std::string maker(Trimmed(CsvField(line, at)));
    if (maker.empty()) {
        return std::nullopt;
    }
    return VendorEntry{*oui, maker};
}

} // namespace

std::optional<VendorEntry> ParseVendorLine(std::string_view line) {
    line = Trimmed(line);
    return line.starts_with("MA-L,") ? ParseCsvLine(line) : ParseTextLine(line);
}

VendorRegistry VendorRegistry::Load(const std::string& path) {
    VendorRegistry registry;
    std::ifstream file(path);
    std::string line;
    while (std::getline(file, line)) {
        if (auto entry = ParseVendorLine(line)) {
            registry.Add(std::move(*entry));
        }
    }
    return registry;
}

void VendorRegistry::Add(VendorEntry entry) {
    m_makers.try_emplace(entry.oui, std::move(entry.maker));
}

const std::string* VendorRegistry::Find(std::uint32_t oui) const {
    const auto found = m_makers.find(oui);
    return found == m_makers.end() ? nullptr : &found->second;
}

std::string VendorRegistryPath() {
    const char* chosen = std::getenv("NODESCOUT_OUI_FILE");
    if (chosen && *chosen) {
        return chosen;
    }
    const std::string text = "/usr/share/ieee-data/oui.txt";
    const std::string csv = "/usr/share/ieee-data/oui.csv";
    return access(text.c_str(), R_OK) != 0 && access(csv.c_str(), R_OK) == 0 ? csv : text;
}

std::optional<std::uint32_t> OuiOfMacText(std::string_view macText) {
    std::string digits;
    for (const char c : Trimmed(macText)) {
        if (digits.size() == 6) {
            break;
        }
        if (c == ':' || c == '-' || c == '.') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        digits += c;
    }
    return HexOui(digits, false);
}

std::string MakerText(std::string_view macText, const VendorRegistry& registry) {
    const auto oui = OuiOfMacText(macText);
    if (!oui) {
        return {};
    }
    if (*oui & kLocallyAdministered) {
        return "locally administered address";
    }
    const std::string* maker = registry.Find(*oui);
    return maker ? *maker : std::string();
}

} // namespace nodescout
