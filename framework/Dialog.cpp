// CDialog's life cycle: the window and its controls made from the template,
// the modal run (or a test's answer), the default button, the exchange of
// values with the controls (UpdateData, DDX_), and the end.

#include "framework/Dialog.h"

#include "framework/WinApp.h"
#include "framework/detail/Window.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QPushButton>

#include <stdexcept>
#include <string_view>

namespace nodescout {

namespace {

// number * numerator / denominator, rounded to the nearest (no template has
// a negative position or size).
int MulDiv(int number, int numerator, int denominator) {
    return (number * numerator + denominator / 2) / denominator;
}

// The dialog font: MS Sans Serif, the face of every template, becomes DejaVu
// Sans Condensed, which has the same base units; the size is set in pixels
// (at 96 pixels to the inch) so the screen's resolution does not change the layout.
QFont DialogFont(const char* face, int pointSize) {
    const bool classic = std::string_view(face) == "MS Sans Serif";
    QFont font(classic ? QStringLiteral("DejaVu Sans Condensed") : detail::ToQt(face));
    font.setPixelSize(MulDiv(pointSize, 96, 72));
    return font;
}

// A rectangle in dialog units as pixels, with the dialog font's base units.
QRect ToPixels(const CSize& base, int x, int y, int cx, int cy) {
    return QRect(MulDiv(x, base.cx, 4), MulDiv(y, base.cy, 8), MulDiv(cx, base.cx, 4),
                 MulDiv(cy, base.cy, 8));
}

CSize BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return CSize{(width / 26 + 1) / 2, metrics.height()};
}

// The window that owns a dialog: its parent's, the main window's, or the
// modal window up now.
QWidget* OwnerWidget(CWnd* parent, const CDialog* dialog) {
    CWnd* owner = parent ? parent : AfxGetMainWnd();
    if (owner && owner != dialog && owner->GetQtWidget()) {
        return owner->GetQtWidget()->window();
    }
    return QApplication::activeModalWidget();
}

Qt::WindowFlags WindowFlagsOf(const DialogTemplate& dialogTemplate, const QWidget* owner) {
    const DWORD style = dialogTemplate.style;
    Qt::WindowFlags flags =
        (dialogTemplate.exStyle & WS_EX_APPWINDOW) || !owner ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    flags |= (style & WS_CAPTION) ? Qt::WindowTitleHint : Qt::WindowFlags();
    flags |= (style & WS_SYSMENU) ? (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
                                  : Qt::WindowFlags();
    flags |= (style & WS_MINIMIZEBOX) ? Qt::WindowMinimizeButtonHint : Qt::WindowFlags();
    return flags;
}

// The dialog's own window record and widget, sized by the template.
void CreateDialogWindow(CDialog* dialog, CDialog::Run& run, QWidget* owner,
                        const DialogTemplate& dialogTemplate) {
    run.self.isDialog = true;
    run.self.dialog = dialog;
    run.self.id = static_cast<int>(dialogTemplate.id);
    run.self.style = dialogTemplate.style;
    QWidget* widget =
        detail::CreateDialogWidget(&run.self, dialog, owner, WindowFlagsOf(dialogTemplate, owner));
    run.self.widget = widget;
    widget->setFont(run.font);
    widget->setWindowTitle(detail::ToQt(dialogTemplate.caption ? dialogTemplate.caption : ""));
    widget->setWindowModality(Qt::ApplicationModal);
    widget->setFixedSize(
        ToPixels(run.baseUnits, 0, 0, dialogTemplate.cx, dialogTemplate.cy).size());
    dialog->Attach(&run.self);
}

// One control of the template: its record and widget, placed in pixels.
std::unique_ptr<HWND__> CreateControl(CDialog* dialog, CDialog::Run& run,
                                      const ControlTemplate& control) {
    auto record = std::make_unique<HWND__>();
    record->kind = control.kind;
    record->id = control.id;
    record->style = control.style;
    record->order = static_cast<UINT>(run.controls.size());
    record->dialog = dialog;
    QWidget* child =
        detail::KindOf(control.kind).createWidget(record.get(), control, run.self.widget.data());
    record->widget = child;
    child->setFont(run.font);
    // Sizes map on their own, as Windows does when it creates the controls.
    child->setGeometry(ToPixels(run.baseUnits, control.x, control.y, control.cx, control.cy));
    if (control.kind == ControlClass::Static && (control.style & SS_TYPEMASK) == SS_ICON) {
        // An icon static takes the size of its icon.
        child->resize(GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    }
    child->setVisible((control.style & WS_VISIBLE) != 0);
    QObject* events = run.self.widget.data(); // the dialog widget filters its controls' events
    child->installEventFilter(events);
    for (QObject* part : child->children()) {
        if (part->isWidgetType()) {
            part->installEventFilter(events); // a list's viewport and header
        }
    }
    return record;
}

void CreateControls(CDialog* dialog, CDialog::Run& run, const DialogTemplate& dialogTemplate) {
    for (const ControlTemplate& control : dialogTemplate.controls) {
        std::unique_ptr<HWND__> record = CreateControl(dialog, run, control);
        if (detail::ButtonType(record.get()) == BS_DEFPUSHBUTTON && run.defId == 0) {
            run.defId = static_cast<UINT>(control.id);
        }
        run.controls.push_back(std::move(record));
    }
    // The first control of the template lies on top, as on Windows.
    for (auto it = run.controls.rbegin(); it != run.controls.rend(); ++it) {
        (*it)->widget->raise();
    }
}

// Marks the push button that Enter would press now.
void ShowDefaultButton(const CDialog* dialog, const CDialog::Run& run) {
    HWND focus = detail::HwndOfWidget(run.self.widget->focusWidget());
    const bool focusOnPushButton = detail::IsPushButton(focus) && focus->dialog == dialog;
    for (const auto& control : run.controls) {
        if (auto* button = dynamic_cast<QPushButton*>(control->widget.data());
            button && detail::IsPushButton(control.get())) {
            button->setDefault(focusOnPushButton ? control.get() == focus
                                                 : control->id == static_cast<int>(run.defId));
        }
    }
}

void AnswerFromTestSeam(CDialog& dialog, const UiTestSeam::ModalAnswer& answer) {
    dialog.GetQtWidget()->show();
    if (answer.onOpen) {
        answer.onOpen(dialog);
    }
    const auto open = [&dialog] { return dialog.GetRun() && !dialog.GetRun()->ended; };
    if (open() && answer.command != 0) {
        DialogAccess::Command(dialog, answer.command);
    }
    if (open()) {
        UiTestSeam::RecordUnanswered();
        dialog.EndDialog(-1);
    }
}

void RunModalLoop(CDialog::Run& run) {
    run.self.widget->show();
    run.self.widget->activateWindow();
    QEventLoop loop;
    run.loop = &loop;
    if (!run.ended) {
        loop.exec(QEventLoop::DialogExec);
    }
    run.loop = nullptr;
}

} // namespace

// ============================================================ making the window

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_pRun) {
        CDialog::DestroyWindow();
    }
}

bool CDialog::CreateWindowFromTemplate() {
    const DialogTemplate* dialogTemplate = AfxFindDialogTemplate(m_nIDTemplate);
    if (!dialogTemplate || m_pRun) {
        return false;
    }
    m_pRun = std::make_unique<Run>();
    m_pRun->font = DialogFont(dialogTemplate->fontFace, dialogTemplate->fontPointSize);
    m_pRun->baseUnits = BaseUnitsOf(m_pRun->font);
    CreateDialogWindow(this, *m_pRun, OwnerWidget(m_pParentWnd, this), *dialogTemplate);
    detail::SetUpSystemMenu(*m_pRun, dialogTemplate->style);
    CreateControls(this, *m_pRun, *dialogTemplate);
    // The connection goes with the dialog's widget, before the run state does.
    QObject::connect(qApp, &QApplication::focusChanged, m_pRun->self.widget.data(),
                     [this] { ShowDefaultButton(this, *m_pRun); });
    return true;
}

// ============================================================ the modal run

INT_PTR CDialog::DoModal() {
    AfxEnsureUi();
    RequireUiThread();
    UiTestSeam::RecordModalRun(m_nIDTemplate);
    ReleaseCapture(); // a modal window takes the mouse, as a message box does
    if (!CreateWindowFromTemplate()) {
        return -1;
    }
    try {
        const BOOL focusFirst = OnInitDialog();
        if (!m_pRun->ended) {
            if (CWnd* first = focusFirst ? GetNextDlgTabItem(nullptr) : nullptr) {
                // As by the Tab key: an edit that gets the focus this way selects its text.
                first->GetQtWidget()->setFocus(Qt::TabFocusReason);
            }
            ShowDefaultButton(this, *m_pRun);
            UiTestSeam::ModalAnswer answer;
            if (UiTestSeam::TakeModalAnswer(answer)) {
                AnswerFromTestSeam(*this, answer);
            } else if (UiTestSeam::IsStrict()) {
                UiTestSeam::RecordUnanswered();
                EndDialog(-1);
            } else {
                RunModalLoop(*m_pRun);
            }
        }
    } catch (...) {
        DestroyWindow();
        throw;
    }
    const int result = m_pRun ? m_pRun->result : -1;
    DestroyWindow();
    return result;
}

void CDialog::EndDialog(int nResult) {
    RequireUiThread();
    if (!m_pRun) {
        return;
    }
    m_pRun->result = nResult;
    m_pRun->ended = true;
    if (m_pRun->loop) {
        m_pRun->loop->exit();
    }
}

BOOL CDialog::DestroyWindow() {
    RequireUiThread();
    if (!m_pRun) {
        return FALSE;
    }
    m_workers.StopAll();
    if (QWidget* widget = m_pRun->self.widget) {
        widget->hide();
    }
    for (const auto& control : m_pRun->controls) {
        if (control->attached) {
            control->attached->Detach();
        }
    }
    Detach();
    delete m_pRun->self.widget.data();
    m_pRun.reset();
    return TRUE;
}

// ============================================================ default handling

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (UpdateData(TRUE)) {
        EndDialog(IDOK);
    }
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

void DialogAccess::Command(CDialog& dialog, int id) {
    HWND control = dialog.m_pRun ? detail::FindControl(*dialog.m_pRun, id) : nullptr;
    AfxCallWindowProc(&dialog, WM_COMMAND,
                      MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(BN_CLICKED)),
                      reinterpret_cast<LPARAM>(control));
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDOK) {
            OnOK();
        } else if (HIWORD(wParam) == BN_CLICKED && LOWORD(wParam) == IDCANCEL) {
            OnCancel();
        }
        return 0;
    case WM_CLOSE:
        if (m_pRun) {
            DialogAccess::Command(*this, IDCANCEL);
        }
        return 0;
    default:
        return CWnd::DefWindowProc(message, wParam, lParam);
    }
}

// ============================================================ data exchange

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    RequireUiThread();
    if (!m_pRun) {
        return FALSE;
    }
    CDataExchange exchange{bSaveAndValidate, this};
    DoDataExchange(&exchange);
    return TRUE;
}

HWND CDataExchange::PrepareCtrl(int nIDC) const {
    CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    if (!control) {
        throw std::logic_error("data exchange with a control the dialog does not have");
    }
    return control->GetSafeHwnd();
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    CWnd* control = detail::ObjectOf(pDX->PrepareCtrl(nIDC));
    if (pDX->m_bSaveAndValidate) {
        control->GetWindowText(value);
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    const CDialog::Run& run = *first->dialog->GetRun();
    if (pDX->m_bSaveAndValidate) {
        value = -1;
    }
    int index = 0;
    const std::size_t last = detail::GroupOf(run, first->order).second;
    for (std::size_t i = first->order; i <= last; ++i) {
        HWND control = run.controls[i].get();
        if (!detail::IsRadioButton(control)) {
            continue;
        }
        auto* button = static_cast<CButton*>(detail::ObjectOf(control));
        if (!pDX->m_bSaveAndValidate) {
            button->SetCheck(index == value ? BST_CHECKED : BST_UNCHECKED);
        } else if (value == -1 && button->GetCheck() == BST_CHECKED) {
            value = index;
        }
        ++index;
    }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
    if (rControl.GetSafeHwnd()) {
        return;
    }
    pDX->PrepareCtrl(nIDC);
    if (!rControl.SubclassDlgItem(nIDC, pDX->m_pDlgWnd)) {
        throw std::logic_error("a control bound twice");
    }
}

} // namespace nodescout
