#pragma once

// INI settings files read and written with the semantics of the classic
// private-profile functions: section and key names are matched without
// regard to case (ASCII letters only), values are trimmed and unquoted (a
// pair of double or of single quotes), results are cut to the caller's
// buffer. Every call opens the file, reads or writes it, and closes it
// again, so an edit made while the program runs counts at the next call. A
// write keeps every line it does not change byte for byte and replaces the
// file atomically (written beside it, then renamed over it), so a read on
// another thread sees the old file or the new one.
// The rules of the file's lines are in platform/profile/ProfileDocument.h.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace nodescout {

// Copies the value of key in section into buffer (at most size - 1 characters
// and a terminator) and returns the number of characters copied. An empty
// key, or one of blanks only, finds a line "=value". When the key or the
// file is missing, defaultValue is copied instead, with its trailing spaces
// cut off and then unquoted like a value (blanks at its start stay; a null
// default counts as empty). A null key lists the section's key names and a
// null section lists the file's section names: each name terminated, the
// list ended by an extra terminator, the count without that extra one; a
// list that does not fit is cut to size - 2 characters and ended by two
// terminators. A null buffer or a size of 0 gets nothing and gives 0.
std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultValue, char* buffer, std::uint32_t size,
                                      const char* path);

// The value of key read as an integer, or defaultValue when the key or the
// file is missing or the value is empty. The rule (profile::ParseProfileInt
// in platform/profile/ProfileText.h): the value's first 29 characters count;
// spaces and control characters at the start are skipped; then an optional
// sign and decimal digits, or hexadecimal digits after "0x", octal after
// "0o", binary after "0b" (prefixes in lower case only); reading stops at
// the first other character, so "12abc" gives 12 and "abc" gives 0; the
// result wraps modulo 2^32.
std::uint32_t GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                                   const char* path);

// The values of several keys of one section from a single reading of the
// file, for settings that are read together each time they are used: for
// each of keys, in order, the value GetPrivateProfileString copies when it
// finds the key (trimmed and unquoted, but whole, not cut to a buffer), or
// nothing when the key, the section or the file is missing. A null section
// or key finds nothing; so does every key when memory runs out. Every call
// reads the file; a thread keeps the parsing of the last file it read (up
// to 64 KiB) and uses it again while the bytes read are the same.
std::vector<std::optional<std::string>>
GetPrivateProfileValues(const char* section, std::span<const char* const> keys, const char* path);
// One of those values read as GetPrivateProfileInt reads a value:
// defaultValue when it is missing or empty.
std::uint32_t ProfileIntOrDefault(const std::optional<std::string>& value,
                                  int defaultValue) noexcept;

// Sets key in section to value, adding the section or key where missing and
// creating the file on the first write; blanks and line ends at the start
// of value are dropped, and an empty key writes the line "=value". A null
// value deletes the key; a null key deletes the whole section; deleting
// what is not there succeeds and creates no file. A value holding a line
// end is written as it is: the lines after its first become lines of the
// file of their own, and a read gives back the first line. Returns false
// when the file could not be written, in which case the old file is left as
// it was, and for what would change other settings of the file: a null or
// empty section, a line end in the section or the key, ']' in a section
// name, '=' or a leading '[' in a key, and a value whose later lines a read
// would take for a key or a section header ("1\r\n[Other]").
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

} // namespace nodescout
