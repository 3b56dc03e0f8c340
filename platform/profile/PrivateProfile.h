#pragma once

// INI settings files read and written with the semantics of the classic
// private-profile functions: section and key names are matched without
// regard to case, values are trimmed and unquoted, results are cut to the
// caller's buffer. Every call opens the file, reads or writes it, and closes
// it again, so an edit made while the program runs counts at the next call.
// A write keeps every line it does not change byte for byte and replaces the
// file atomically (written beside it, then renamed over it).

#include <cstdint>

namespace nodescout {

// Copies the value of key in section into buffer (at most size - 1 characters
// and a terminator) and returns the number of characters copied. When the key
// or the file is missing, defaultValue is copied instead (a null default
// counts as empty). A null key lists the section's key names and a null
// section lists the file's section names, each name terminated, the list
// ended by an extra terminator.
std::uint32_t GetPrivateProfileString(const char* section, const char* key,
                                      const char* defaultValue, char* buffer, std::uint32_t size,
                                      const char* path);

// The value of key read as a decimal integer (optional sign, then digits;
// reading stops at the first other character), or defaultValue when the key
// or the file is missing.
std::uint32_t GetPrivateProfileInt(const char* section, const char* key, int defaultValue,
                                   const char* path);

// Sets key in section to value, adding the section or key where missing and
// creating the file on the first write. A null value deletes the key; a null
// key deletes the whole section. Returns false when the file could not be
// written, in which case the old file is left as it was.
bool WritePrivateProfileString(const char* section, const char* key, const char* value,
                               const char* path);

} // namespace nodescout
