#pragma once

// Nodescout's window resources as data: the dialog templates, the string
// resources and the application icon. The program hands them to the
// framework once at start:
//
//     AfxAddResources(NodescoutResources());

#include "framework/Templates.h"

#include <string>

namespace nodescout {

// The table of every template, string and icon of the program; constant
// data that lives as long as the program.
const ResourceTable& NodescoutResources();

// The address that the main window's link text shows and opens, chosen when
// Nodescout is built (the CMake variable NODESCOUT_HOME_PAGE), and for the
// default, the installed README, when it starts: ProductWebAddressFor with
// the README of the source tree it was built from.
extern const char* const kProductWebAddress;

// configured, unless it is a file address (file://, with %XX escapes) of a
// file that does not exist while sourceReadme, a file address as well,
// names one that does: then sourceReadme. An empty sourceReadme (an address
// configured at build time) leaves configured as it is.
std::string ProductWebAddressFor(const std::string& configured, const std::string& sourceReadme);

} // namespace nodescout
