#pragma once

// The two process-wide paths: the folder that holds Nodescout's files and the
// full path of its settings file. Start-up sets them once, before any window
// or worker exists; afterwards they are only read.

#include "platform/text/FixedText.h"

namespace nodescout {

extern PathText g_szAppDir;
extern PathText g_szIniPath;

} // namespace nodescout
