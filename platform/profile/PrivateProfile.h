#pragma once

// INI settings files read and written with the semantics of the classic
// private-profile functions: section and key names are matched without
// regard to case (ASCII letters only), values are trimmed and unquoted,
// results are cut to the caller's buffer. Every call opens the file, reads or
// writes it, and closes it again, so an edit made while the program runs
// counts at the next call. A write keeps every line it does not change byte
// for byte and replaces the file atomically (written beside it, then renamed
// over it), so a read on another thread sees the old file or the new one.
// The rules of the file's lines are in platform/profile/ProfileDocument.h.

#include <cstdint>

namespace nodescout {

// Copies the value of key in section into buffer (at most size - 1 characters
// and a terminator) and returns the number of characters copied. When the key
// or the file is missing, defaultValue, trimmed and unquoted like a value, is
// copied instead (a null default counts as empty). A null key lists the
// section's key names and a null section lists the file's section names:
// each name terminated, the list ended by an extra terminator, the count
// without that extra one; a list that does not fit is cut to size - 2
// characters and ended by two terminators. A null buffer or a size of 0
// gets nothing and gives 0.
std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultValue, char* buffer, std::uint32_t size,
                                      const char* path);

// The value of key read as an integer (optional sign, then decimal digits,
// or hexadecimal digits after "0x", or binary digits after "0b"; reading
// stops at the first other character, so "12abc" gives 12 and "abc" gives 0;
// the result wraps modulo 2^32), or defaultValue when the key or the file is
// missing or the value is empty.
std::uint32_t GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                                   const char* path);

// Sets key in section to value, adding the section or key where missing and
// creating the file on the first write. A null value deletes the key; a null
// key deletes the whole section; deleting what is not there succeeds and
// creates no file. Returns false when the file could not be written, in
// which case the old file is left as it was, and for names and values that
// the file could not hold: a null or empty section, an empty key, a line end
// in any of them, ']' in a section name, '=' or a leading '[' in a key.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

} // namespace nodescout
