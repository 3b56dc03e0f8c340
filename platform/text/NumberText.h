#pragma once

// The one reader of numbers typed by a user (a row's number, the auto-scan
// interval): the value read the way atoi reads it (leading white space, an
// optional sign, digits; anything else reads as 0), held within the range of
// int where atoi's result would be undefined.

namespace nodescout {

int ReadNumberText(const char* text) noexcept;

} // namespace nodescout
