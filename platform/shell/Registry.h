#pragma once

// The desktop's associations as a registry of program classes would hold
// them, for the one lookup the hyperlink's fallback makes: the classes root,
// which maps a file extension to a program class and a program class to its
// open command. Two keys are known:
//   ".htm"                              the desktop entry of the default
//                                       program for web pages
//                                       (xdg-mime query default text/html)
//   "<desktop entry>\shell\open\command" that entry's command line, its
//                                       address placeholder written "%1"
//                                       (see ReadDesktopEntryCommand)

#include <cstdint>
#include <string>
#include <string_view>

namespace nodescout {

enum class HKEY { ClassesRoot };
inline constexpr HKEY HKEY_CLASSES_ROOT = HKEY::ClassesRoot;

// Results of a key lookup.
inline constexpr std::int32_t ERROR_SUCCESS = 0;
inline constexpr std::int32_t ERROR_FILE_NOT_FOUND = 2; // no such key, or it has no value
inline constexpr std::int32_t ERROR_MORE_DATA = 234;    // the value does not fit the buffer

// The key under a program class that holds its open command.
inline constexpr std::string_view kOpenCommandKey = "\\shell\\open\\command";

// The default value of subKey under root into value: ERROR_SUCCESS, or
// ERROR_FILE_NOT_FOUND for a key that is not known or has no value (value
// is then left as it was).
std::int32_t ReadKeyDefault(HKEY root, std::string_view subKey, std::string& value);

} // namespace nodescout
