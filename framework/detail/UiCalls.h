#pragma once

// Starting and ending the road from workers to the UI thread (UiThread.cpp),
// for the application object.

namespace nodescout::detail {

// On the thread that owns the Qt application: makes it the UI thread.
void StartUiChannel();
// The UI is gone: waiting calls are dropped, later ones run directly.
void StopUiChannel();

} // namespace nodescout::detail
