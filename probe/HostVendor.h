#pragma once

// The maker of a network card, from the first three bytes of its MAC
// address (the OUI) and the IEEE's public registry of them, as Debian's
// ieee-data package installs it: oui.txt, whose lines of interest read
// "00-00-0C   (hex)\t\tCisco Systems, Inc", or oui.csv, whose lines read
// "MA-L,00000C,Cisco Systems, Inc,<address>" (a field with a comma in double
// quotes, a doubled quote inside). Other lines of either file are ignored.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace nodescout {

// One registry entry: the OUI as a 24-bit number (00-00-0C is 0x00000C) and
// the maker's name as the file gives it (UTF-8), blanks around it removed.
struct VendorEntry {
    std::uint32_t oui = 0;
    std::string maker;
};

// The entry one line of oui.txt or oui.csv holds, or nothing for any other
// line (headers, addresses, blank lines, other registries of oui.csv).
std::optional<VendorEntry> ParseVendorLine(std::string_view line);

// Every entry of one registry file; the first entry wins for an OUI listed
// twice. Empty when the file cannot be read.
class VendorRegistry {
public:
    static VendorRegistry Load(const std::string& path);

    void Add(VendorEntry entry);
    // The maker of an OUI, or null when the registry does not list it.
    const std::string* Find(std::uint32_t oui) const;
    std::size_t Size() const noexcept { return m_makers.size(); }

private:
    std::unordered_map<std::uint32_t, std::string> m_makers;
};

// The registry file to read: $NODESCOUT_OUI_FILE when set and not empty,
// else /usr/share/ieee-data/oui.txt, else .../oui.csv when only that exists.
std::string VendorRegistryPath();

// The first three bytes of a MAC text (twelve hexadecimal digits, separators
// ':', '-' and '.' skipped) as a 24-bit number, or nothing when the text does
// not start with six hexadecimal digits.
std::optional<std::uint32_t> OuiOfMacText(std::string_view macText);

// What a tip says of the card's maker: "locally administered address" when
// bit 0x02 of the first byte is set (no maker owns such an address), the
// registry's name for the OUI, or empty when neither applies.
std::string MakerText(std::string_view macText, const VendorRegistry& registry);

} // namespace nodescout
