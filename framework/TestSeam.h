#pragma once

// Answers for modal runs and message boxes, queued by tests so that no test
// clicks a window that may not be up yet: each AfxMessageBox and each DoModal
// takes the first answer queued for its kind.
//
// A queued modal answer runs when the dialog is open (after OnInitDialog):
// first the callback, then, unless the dialog has ended already, the command
// (IDOK, IDCANCEL or a button's ID) as if that button had been clicked. A run
// that still has not ended then ends with -1 and counts as unanswered.
//
// In strict mode (what tests use) a modal run or message box without a
// queued answer does not wait for a user: it counts as unanswered and ends
// at once: a dialog with -1, a message box as Escape would end it (IDNO for
// MB_YESNO, else IDOK). Otherwise it shows and waits as usual.

#include "framework/Types.h"

#include <functional>
#include <string>
#include <vector>

namespace nodescout {

class CDialog;

struct ShownMessageBox {
    std::string text;
    std::string caption;
    UINT type = 0;
    int result = 0;
};

class UiTestSeam {
public:
    static void SetStrict(bool bStrict);
    static bool IsStrict();

    static void QueueMessageBoxAnswer(int nResult);
    static void QueueModalAnswer(int nCommand, std::function<void(CDialog&)> onOpen = {});

    // What was shown, in order: every message box, and the template ID of
    // every modal run.
    static std::vector<ShownMessageBox> MessageBoxes();
    static std::vector<UINT> ModalRuns();
    static int UnansweredCount();
    // Answers still queued (a test that queued more than it used).
    static int PendingAnswerCount();
    // Forgets queued answers and records; strict mode stays as it is.
    static void Reset();

    // Framework side.
    struct ModalAnswer {
        int command = 0;
        std::function<void(CDialog&)> onOpen;
    };
    static void RecordModalRun(UINT nIDTemplate);
    static bool TakeModalAnswer(ModalAnswer& answer);
    static bool TakeMessageBoxAnswer(int& nResult);
    static void RecordMessageBox(ShownMessageBox shown);
    static void RecordUnanswered();
};

} // namespace nodescout
