#pragma once

// Nodescout's texts are single bytes, kept as they came (a computer name in
// a Windows code page, a line of the saved list). Where a text meets UTF-8
// (the window's widgets, a settings file that starts with a UTF-8
// byte-order mark), each byte stands for its character in the Windows-1252
// code page; the five bytes the code page leaves unassigned stand for the
// C1 control of the same number, so every byte comes back as it was.

#include <string>
#include <string_view>

namespace nodescout {

// UTF-8 as Windows-1252; a character the code page lacks, or a malformed
// sequence, becomes '?'.
std::string Utf8ToWindows1252(std::string_view utf8);

// Windows-1252 as UTF-8; every byte has a character, so nothing is lost.
std::string Windows1252ToUtf8(std::string_view text);

} // namespace nodescout
