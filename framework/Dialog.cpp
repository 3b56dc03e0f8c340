// CDialog's life cycle: the window and its controls made from the template,
// the modal run (or a test's answer), the default button, and the end.

#include "framework/Dialog.h"

#include "framework/TestSeam.h"
#include "framework/WinApp.h"
#include "framework/detail/Window.h"

#include <QApplication>
#include <QEventLoop>
#include <QFontMetrics>
#include <QPushButton>

namespace nodescout {

namespace {

int MulDiv(int number, int numerator, int denominator) {
    const long long product = static_cast<long long>(number) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : (product - half) / denominator);
}

// The dialog font: the classic dialog faces become DejaVu Sans Condensed,
// which has the same base units; the size is set in pixels (at 96 pixels to
// the inch) so the screen's resolution does not change the layout.
QFont DialogFont(const char* face, int pointSize) {
    const QString requested = QString::fromUtf8(face ? face : "");
    const bool classic = requested.isEmpty() || requested == QLatin1String("MS Sans Serif") ||
                         requested.startsWith(QLatin1String("MS Shell Dlg"));
    QFont font(classic ? QStringLiteral("DejaVu Sans Condensed") : requested);
    font.setPixelSize(MulDiv(pointSize > 0 ? pointSize : 8, 96, 72));
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

// One control of the template: its record and widget, placed in pixels.
std::unique_ptr<HWND__> CreateControl(CDialog* dialog, CDialog::Run& run,
                                      const ControlTemplate& control, QObject* events) {
    auto record = std::make_unique<HWND__>();
    record->kind = control.kind;
    record->id = control.id;
    record->style = control.style;
    record->exStyle = control.exStyle;
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
    child->setEnabled(!(control.style & WS_DISABLED));
    child->setVisible((control.style & WS_VISIBLE) != 0);
    child->installEventFilter(events);
    for (QObject* part : child->children()) {
        if (part->isWidgetType()) {
            part->installEventFilter(events); // a list's viewport and header
        }
    }
    return record;
}

} // namespace

// ============================================================ internal access

void DialogAccess::Command(CDialog& dialog, int id) {
    HWND control = dialog.m_pRun ? detail::FindControl(*dialog.m_pRun, id) : nullptr;
    AfxCallWindowProc(&dialog, WM_COMMAND,
                      MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(BN_CLICKED)),
                      reinterpret_cast<LPARAM>(control));
}

bool DialogAccess::HasPaintHandler(const CDialog& dialog) {
    const MessageMap* map = dialog.GetMessageMap();
    return map && map->Find(WM_PAINT, 0, 0);
}

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
    CreateDialogWidget(*dialogTemplate);
    detail::SetUpSystemMenu(*m_pRun, dialogTemplate->style);
    CreateControls(*dialogTemplate);
    QObject::connect(qApp, &QApplication::focusChanged, m_pRun->self.widget.data(),
                     [this] { ShowDefaultButton(); });
    return true;
}

void CDialog::CreateDialogWidget(const DialogTemplate& dialogTemplate) {
    Run& run = *m_pRun;
    QWidget* owner = OwnerWidget(m_pParentWnd, this);
    run.self.isDialog = true;
    run.self.dialog = this;
    run.self.id = static_cast<int>(dialogTemplate.id);
    run.self.style = dialogTemplate.style;
    run.self.exStyle = dialogTemplate.exStyle;
    QWidget* widget =
        detail::CreateDialogWidget(&run.self, this, owner, WindowFlagsOf(dialogTemplate, owner));
    run.self.widget = widget;
    widget->setFont(run.font);
    widget->setWindowTitle(detail::ToQt(dialogTemplate.caption ? dialogTemplate.caption : ""));
    widget->setWindowModality(Qt::ApplicationModal);
    // Dialogs keep their size.
    widget->setFixedSize(
        ToPixels(run.baseUnits, 0, 0, dialogTemplate.cx, dialogTemplate.cy).size());
    detail::AddLiveWindow(&run.self);
    Attach(&run.self);
}

void CDialog::CreateControls(const DialogTemplate& dialogTemplate) {
    Run& run = *m_pRun;
    QObject* events = detail::CreateControlEvents(this, run.self.widget.data());
    for (const ControlTemplate& control : dialogTemplate.controls) {
        std::unique_ptr<HWND__> record = CreateControl(this, run, control, events);
        if (detail::ButtonType(record.get()) == BS_DEFPUSHBUTTON && run.defId == 0) {
            run.defId = static_cast<UINT>(control.id);
        }
        detail::AddLiveWindow(record.get());
        run.controls.push_back(std::move(record));
    }
    // The first control of the template lies on top, as on Windows.
    for (auto it = run.controls.rbegin(); it != run.controls.rend(); ++it) {
        (*it)->widget->raise();
    }
}

void CDialog::ShowDefaultButton() {
    if (!m_pRun) {
        return;
    }
    HWND focus = detail::HwndOfWidget(m_pRun->self.widget->focusWidget());
    const bool focusOnPushButton = detail::IsPushButton(focus) && focus->dialog == this;
    for (const auto& control : m_pRun->controls) {
        if (auto* button = dynamic_cast<QPushButton*>(control->widget.data());
            button && detail::IsPushButton(control.get())) {
            button->setDefault(focusOnPushButton ? control.get() == focus
                                                 : control->id == static_cast<int>(m_pRun->defId));
        }
    }
}

// ============================================================ the modal run

INT_PTR CDialog::DoModal() {
    if (!IsUiThread()) {
        AfxEnsureUi();
    }
    RequireUiThread();
    UiTestSeam::RecordModalRun(m_nIDTemplate);
    ReleaseCapture(); // a modal window takes the mouse, as a message box does
    if (!CreateWindowFromTemplate()) {
        return -1;
    }
    try {
        const BOOL focusFirst = OnInitDialog();
        if (!m_pRun->ended) {
            if (focusFirst) {
                GotoDlgCtrl(GetNextDlgTabItem(nullptr));
            }
            ShowDefaultButton();
            UiTestSeam::ModalAnswer answer;
            if (UiTestSeam::TakeModalAnswer(answer)) {
                AnswerFromTestSeam(answer);
            } else if (UiTestSeam::IsStrict()) {
                UiTestSeam::RecordUnanswered();
                EndDialog(-1);
            } else {
                RunModalLoop();
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

void CDialog::AnswerFromTestSeam(const UiTestSeam::ModalAnswer& answer) {
    m_pRun->self.widget->show();
    if (answer.onOpen) {
        answer.onOpen(*this);
    }
    if (m_pRun && !m_pRun->ended && answer.command != 0) {
        DialogAccess::Command(*this, answer.command);
    }
    if (m_pRun && !m_pRun->ended) {
        UiTestSeam::RecordUnanswered();
        EndDialog(-1);
    }
}

void CDialog::RunModalLoop() {
    QWidget* widget = m_pRun->self.widget;
    widget->show();
    widget->activateWindow();
    QEventLoop loop;
    m_pRun->loop = &loop;
    if (!m_pRun->ended) {
        loop.exec(QEventLoop::DialogExec);
    }
    m_pRun->loop = nullptr;
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
        detail::RemoveLiveWindow(control.get());
    }
    detail::RemoveLiveWindow(&m_pRun->self);
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
    if (!UpdateData(TRUE)) {
        return;
    }
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

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

// ============================================================ focus

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    if (QWidget* widget = pWndCtrl ? pWndCtrl->GetQtWidget() : nullptr) {
        // As by the Tab key: an edit that gets the focus this way selects its text.
        widget->setFocus(Qt::TabFocusReason);
    }
}

} // namespace nodescout
