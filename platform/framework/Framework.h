#pragma once

// Nodescout's dialog framework: an application object, modal dialogs built
// from templates in dialog units, message tables, data exchange, the list,
// progress, static, button and edit controls, message boxes, worker threads
// that can always be stopped, and the synchronous call onto the UI thread.
// Drawn with Qt 6 Widgets; no Qt header is included by these headers.

#include "platform/framework/Controls.h"
#include "platform/framework/Dialog.h"
#include "platform/framework/MessageMap.h"
#include "platform/framework/Templates.h"
#include "platform/framework/TestSeam.h"
#include "platform/framework/Types.h"
#include "platform/framework/UiThread.h"
#include "platform/framework/WinApp.h"
#include "platform/framework/Wnd.h"
#include "platform/framework/WorkerThread.h"
