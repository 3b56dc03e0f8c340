#pragma once

// The messages with which every address walk drives the main window's
// progress bar (PBM_SETRANGE, PBM_SETPOS, PBM_SETSTEP, PBM_STEPIT), with
// the numbers progress bars have always had. The framework's vocabulary
// holds them; it includes no windowing header.

#include "framework/Types.h"
