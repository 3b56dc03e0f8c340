#include "platform/text/Windows1252.h"

#include <array>
#include <cstdint>
#include <optional>

namespace nodescout {
namespace {

// The characters of the bytes 0x80 to 0x9F. The five bytes the code page
// leaves unassigned stand for the C1 control of the same number, so that
// every byte survives a round trip through UTF-8.
constexpr std::array<char32_t, 32> kCharactersFrom0x80 = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

constexpr char kUnmappable = '?';

char32_t CharacterOf(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return kCharactersFrom0x80[byte - 0x80];
    }
    return byte;
}

std::optional<char> ByteOf(char32_t character) {
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF)) {
        return static_cast<char>(character);
    }
    for (std::size_t index = 0; index < kCharactersFrom0x80.size(); ++index) {
        if (kCharactersFrom0x80[index] == character) {
            return static_cast<char>(0x80 + index);
        }
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t character) {
    const auto append = [&out](std::uint32_t byte) { out.push_back(static_cast<char>(byte)); };
    if (character < 0x80) {
        append(character);
    } else if (character < 0x800) {
        append(0xC0 | (character >> 6));
        append(0x80 | (character & 0x3F));
    } else {
        // Windows-1252 holds nothing beyond the Basic Multilingual Plane.
        append(0xE0 | (character >> 12));
        append(0x80 | ((character >> 6) & 0x3F));
        append(0x80 | (character & 0x3F));
    }
}

struct DecodedCharacter {
    std::optional<char32_t> character; // empty for a malformed sequence
    std::size_t length;                // bytes consumed, at least 1
};

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

struct LeadByte {
    std::size_t length; // bytes of the whole sequence
    char32_t bits;      // the character bits the lead byte carries
    char32_t smallest;  // smallest character that needs this many bytes
};

std::optional<LeadByte> ReadLeadByte(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return LeadByte{2, lead & 0x1Fu, 0x80};
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return LeadByte{3, lead & 0x0Fu, 0x800};
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return LeadByte{4, lead & 0x07u, 0x10000};
    }
    return std::nullopt;
}

// One character of UTF-8 at the start of text. Overlong forms, surrogates and
// values past U+10FFFF are malformed; a malformed sequence consumes one byte.
DecodedCharacter DecodeUtf8(std::string_view text) {
    const auto first = static_cast<unsigned char>(text[0]);
    if (first < 0x80) {
        return {first, 1};
    }
    const std::optional<LeadByte> lead = ReadLeadByte(first);
    if (!lead || text.size() < lead->length) {
        return {std::nullopt, 1};
    }
    char32_t character = lead->bits;
    for (std::size_t index = 1; index < lead->length; ++index) {
        const auto byte = static_cast<unsigned char>(text[index]);
        if (!IsContinuation(byte)) {
            return {std::nullopt, 1};
        }
        character = (character << 6) | (byte & 0x3Fu);
    }
    const bool surrogate = character >= 0xD800 && character <= 0xDFFF;
    if (character < lead->smallest || surrogate || character > 0x10FFFF) {
        return {std::nullopt, 1};
    }
    return {character, lead->length};
}

} // namespace

std::string Utf8ToWindows1252(std::string_view utf8) {
    std::string text;
    text.reserve(utf8.size());
    while (!utf8.empty()) {
        const DecodedCharacter decoded = DecodeUtf8(utf8);
        const std::optional<char> byte =
            decoded.character ? ByteOf(*decoded.character) : std::nullopt;
        text.push_back(byte.value_or(kUnmappable));
        utf8.remove_prefix(decoded.length);
    }
    return text;
}

std::string Windows1252ToUtf8(std::string_view text) {
    std::string utf8;
    utf8.reserve(text.size());
    for (const char byte : text) {
        AppendUtf8(utf8, CharacterOf(static_cast<unsigned char>(byte)));
    }
    return utf8;
}

} // namespace nodescout
