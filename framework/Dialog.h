#pragma once

// CDialog: a modal dialog built from a template (framework/Templates.h).
//
// DoModal creates the window and its controls, calls OnInitDialog, runs
// until EndDialog, then calls DestroyWindow and returns the result.
// The keyboard works as in a Windows dialog: Tab and Shift+Tab walk the tab
// stops in template order, the arrow keys walk a group; Enter presses the
// focused push button, else the default button, else sends IDOK; Escape and
// the close box send IDCANCEL. IDOK and IDCANCEL run the virtual OnOK and
// OnCancel unless the message table takes them.
//
// Tests answer modal runs without a window being up: framework/TestSeam.h.

#include "framework/Controls.h"
#include "framework/Templates.h"
#include "framework/TestSeam.h"
#include "framework/WorkerThread.h"

#include <memory>
#include <string>

namespace nodescout {

struct CDataExchange;

class CDialog : public CWnd {
public:
    // The template is looked up among the resources when DoModal runs.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK, IDCANCEL or what EndDialog was given;
    // -1 when the template is missing (or a test left the run unanswered).
    virtual INT_PTR DoModal();
    // Ends the modal run with nResult; the window goes when the run returns.
    // Ending from OnInitDialog makes DoModal return at once.
    void EndDialog(int nResult);

    // Control values to members (TRUE) or members to controls (FALSE);
    // FALSE when the dialog has no window.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Destroys the window: stops the workers started through GetWorkers(),
    // unbinds the control objects and removes the controls. A class that
    // must save state before the window goes overrides it and calls the base.
    BOOL DestroyWindow() override;

    // The workers that must end before this window goes.
    CWorkerRegistry& GetWorkers() noexcept { return m_workers; }

    // Framework internals: the dialog's run state.
    struct Run;
    Run* GetRun() const noexcept { return m_pRun.get(); }

protected:
    // Base: UpdateData(FALSE); returns TRUE so the focus goes to the first tab stop.
    virtual BOOL OnInitDialog();
    // Base: UpdateData(TRUE), and when that succeeds EndDialog(IDOK).
    virtual void OnOK();
    // Base: EndDialog(IDCANCEL).
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    std::unique_ptr<Run> m_pRun;
    CWorkerRegistry m_workers;

    bool CreateWindowFromTemplate();

    friend struct DialogAccess;
};

// One exchange: controls to members (m_bSaveAndValidate TRUE) or back.
struct CDataExchange {
    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control nIDC; throws std::logic_error when the dialog has none.
    HWND PrepareCtrl(int nIDC) const;
};

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// The radio group that starts at nIDC: the index among its radio buttons of
// the checked one, -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Binds rControl to control nIDC at the first exchange (see SubclassDlgItem).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

} // namespace nodescout
