#pragma once

// How long a text the user can type into the edit fields of Nodescout's
// small dialogs, in bytes. Each bound leaves room for the terminator of the
// fixed buffer that the dialog's opener copies the text into, so nothing
// typed can run past it.
//
// A limit bounds typing and pasting only. A longer text that the opener puts
// into a field (from the settings file or a list row) is shown whole, can be
// shortened by the user but not lengthened, and comes back whole in the
// dialog's string member; an opener that copies it into a fixed buffer gets
// it cut at the buffer's size (FixedText).

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "platform/text/FixedText.h"
#include "store/Settings.h"

namespace nodescout {

// Addresses: the openers keep them in 1024-character buffers.
inline constexpr int kAddressTextLimit = static_cast<int>(kTextSize) - 1;
// The MAC address searched for, as typed: its longest usual form,
// 00:11:22:33:44:55, in the main window's 18-character buffer.
inline constexpr int kMacTextLimit = static_cast<int>(kTypedMacTextSize) - 1;
// The fields of the row editor go back into the list's columns, which the
// saved list and the export read back into 1024-character buffers.
inline constexpr int kRowTextLimit = static_cast<int>(kTextSize) - 1;
// The auto-scan interval is read back as atoi reads (ReadNumberText): nine
// digits, or a sign and eight, always stay within the range of int.
inline constexpr int kIntervalTextLimit = 9;

// Sets the typing limit of edit nID of an open dialog.
inline void LimitEditText(CDialog& dialog, int nID, int nChars) {
    if (auto* edit = dynamic_cast<CEdit*>(dialog.GetDlgItem(nID))) {
        edit->LimitText(nChars);
    }
}

} // namespace nodescout
