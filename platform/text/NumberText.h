#pragma once

// The one reader of numbers typed by a user (a row's number, the auto-scan
// interval): the value read the way atoi reads it (leading white space, an
// optional sign, digits; anything else reads as 0), held within the range of
// int where atoi's result would be undefined.

namespace nodescout {

int ReadNumberText(const char* text) noexcept;

// The value of one hexadecimal digit, 0-9, a-f or A-F; -1 for any other
// character.
constexpr int HexDigitValue(char c) noexcept {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

} // namespace nodescout
