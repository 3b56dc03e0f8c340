#pragma once

// Nodescout's window resources as data: the dialog templates, the string
// resources and the application icon. The program hands them to the
// framework once at start:
//
//     AfxAddResources(NodescoutResources());

#include "framework/Templates.h"

namespace nodescout {

// The table of every template, string and icon of the program; constant
// data that lives as long as the program.
const ResourceTable& NodescoutResources();

// The address that the main window's link text shows and opens, chosen when
// Nodescout is built (the CMake variable NODESCOUT_HOME_PAGE).
extern const char* const kProductWebAddress;

} // namespace nodescout
