#include "platform/process/AppPaths.h"

namespace nodescout {

PathText g_szAppDir;
PathText g_szIniPath;

} // namespace nodescout
