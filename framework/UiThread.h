#pragma once

// The one road from a worker thread to the windows: a synchronous call that
// the UI thread carries out between its own work, one call at a time.
// CallOnUiThread, CWnd::SendMessage, CWnd::SetDlgItemText and AfxMessageBox
// go this way (on the UI thread they run directly). Every other member of the
// windows, controls and dialogs ends the program when a thread other than the
// UI thread calls it (RequireUiThread).
//
// A call from a worker whose stop has been asked for is dropped: it does not
// run, and the caller gets false (member functions their "no window" result).

#include <functional>
#include <optional>
#include <source_location>
#include <utility>

namespace nodescout {

// True on the thread that runs the windows (the one that created them
// through AfxEnsureUi). Before any UI exists, no thread is the UI thread.
bool IsUiThread();

// Ends the program with a message naming the caller unless this is the UI
// thread (or no UI exists yet). Active in every build type: a window touched
// from a worker is a race that tests must catch, not a silent one.
void RequireUiThread(std::source_location caller = std::source_location::current());

// Runs call on the UI thread and waits until it has run; runs it directly on
// the UI thread itself, and also when no UI exists yet. An exception thrown
// by call comes back to the caller. Returns false when the call was dropped
// because the calling worker is being stopped.
bool CallOnUiThread(const std::function<void()>& call);

// The same for a call with a result; fallback when the call was dropped.
template <class R, class F>
R CallOnUiThread(R fallback, F&& call) {
    std::optional<R> result;
    CallOnUiThread(std::function<void()>([&] { result.emplace(call()); }));
    return result ? std::move(*result) : std::move(fallback);
}

// UI thread: carries out the worker calls that are waiting, now. The event
// loop does this by itself; waits that block the UI thread call it.
void ServeUiCalls();

// UI thread: blocks until done() is true, carrying out worker calls and
// delivering posted events meanwhile, so a worker that the caller waits for
// can never be stuck in a call to this thread. done is evaluated on the
// calling thread; wake it with WakeUiWait when its state changes.
void WaitServingUi(const std::function<bool()>& done);
void WakeUiWait();

} // namespace nodescout
