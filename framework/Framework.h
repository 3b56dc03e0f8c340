#pragma once

// Nodescout's dialog framework: an application object, modal dialogs built
// from templates in dialog units, message tables, data exchange, the list,
// progress, static, button and edit controls, message boxes, worker threads
// that can always be stopped, and the synchronous call onto the UI thread.
// Drawn with Qt 6 Widgets; no Qt header is included by these headers.

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/MessageMap.h"
#include "framework/Templates.h"
#include "framework/TestSeam.h"
#include "framework/Types.h"
#include "framework/UiThread.h"
#include "framework/WinApp.h"
#include "framework/Wnd.h"
#include "framework/WorkerThread.h"
