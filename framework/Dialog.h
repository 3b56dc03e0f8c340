#pragma once

// CDialog: a modal dialog built from a template (framework/Templates.h).
//
//     CIpInputDlg dlg;                 // CDialog(IDD_IPINPUT, pParent)
//     dlg.m_strLabel = "IP Address";
//     if (dlg.DoModal() == IDOK) { ... dlg.m_strIP ... }
//
// DoModal creates the window and its controls, calls OnInitDialog (whose
// base exchanges the members into the controls through DoDataExchange),
// runs until EndDialog, then calls DestroyWindow and returns the result.
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
#include "platform/text/FixedText.h"

#include <memory>
#include <string>

namespace nodescout {

class CDataExchange;

class CDialog : public CWnd {
public:
    // The template is looked up among the resources when DoModal runs.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    explicit CDialog(const DialogTemplate& dialogTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Runs the dialog modally: IDOK, IDCANCEL or what EndDialog was given;
    // -1 when the template is missing (or a test left the run unanswered).
    virtual INT_PTR DoModal();
    // Ends the modal run with nResult; the window goes when the run returns.
    // Ending from OnInitDialog makes DoModal return at once.
    void EndDialog(int nResult);

    // Control values to members (TRUE, with validation) or members to
    // controls (FALSE). FALSE when a value did not validate.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);

    // Destroys the window: stops the workers started through GetWorkers(),
    // unbinds the control objects and removes the controls. A class that
    // must save state before the window goes overrides it and calls the base.
    BOOL DestroyWindow() override;

    // The default push button's ID (Enter presses it when no push button has
    // the focus); 0 when there is none, and Enter then sends IDOK.
    void SetDefID(UINT nID);
    DWORD GetDefID() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);

    // Dialog units to pixels with the dialog font's metrics.
    void MapDialogRect(CRect* pRect) const;

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
    const DialogTemplate* m_pTemplate = nullptr;
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    std::unique_ptr<Run> m_pRun;
    CWorkerRegistry m_workers;

    bool CreateWindowFromTemplate();
    void CreateDialogWidget(const DialogTemplate& dialogTemplate);
    void CreateControls(const DialogTemplate& dialogTemplate);
    void RunModalLoop();
    void AnswerFromTestSeam(const UiTestSeam::ModalAnswer& answer);
    // Marks the push button that Enter would press now.
    void ShowDefaultButton();

    friend struct DialogAccess;
};

// ------------------------------------------------ data exchange

class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate);

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;

    // The control nIDC, remembered as the one to give the focus when the
    // exchange fails; throws std::logic_error when there is none.
    HWND PrepareCtrl(int nIDC);
    HWND PrepareEditCtrl(int nIDC);
    // Ends the exchange as failed: UpdateData returns FALSE and the last
    // prepared control gets the focus.
    [[noreturn]] void Fail();

    int m_idLastControl = 0;
    BOOL m_bEditLastControl = FALSE;
};

// Text of control nIDC as a decimal integer ("Please enter an integer." and
// a failed exchange when it is not one).
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value);
// Into a fixed buffer the text is cut at its capacity.
template <std::size_t N>
void DDX_Text(CDataExchange* pDX, int nIDC, FixedText<N>& value) {
    std::string text(value.View());
    DDX_Text(pDX, nIDC, text);
    if (pDX->m_bSaveAndValidate) {
        value = text;
    }
}
// The radio group that starts at nIDC: the index among its radio buttons of
// the checked one, -1 when none is checked.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);
// Binds rControl to control nIDC at the first exchange (see SubclassDlgItem).
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

} // namespace nodescout
