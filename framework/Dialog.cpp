#include "framework/Dialog.h"

#include "framework/TestSeam.h"
#include "framework/WinApp.h"
#include "framework/detail/Window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QToolTip>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <stdexcept>

namespace nodescout {

// Internal access to a dialog's protected virtuals and run for the widget
// and the data exchange.
struct DialogAccess {
    static void Command(CDialog& dialog, int id) {
        HWND control = dialog.m_pRun ? detail::FindControl(*dialog.m_pRun, id) : nullptr;
        AfxCallWindowProc(&dialog, WM_COMMAND,
                          MAKEWPARAM(static_cast<WORD>(id), static_cast<WORD>(BN_CLICKED)),
                          reinterpret_cast<LPARAM>(control));
    }
    static bool HasPaintHandler(const CDialog& dialog) {
        const MessageMap* map = dialog.GetMessageMap();
        return map && map->Find(WM_PAINT, 0, 0);
    }
};

namespace {

struct DataExchangeFailure {};

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

CSize BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return CSize{(width / 26 + 1) / 2, metrics.height()};
}

DWORD ButtonType(HWND hWnd) {
    return hWnd && hWnd->kind == ControlClass::Button ? (hWnd->style & BS_TYPEMASK) : ~DWORD{0};
}

bool IsPushButton(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool IsRadioButton(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

// Controls the arrow keys move between (the rest keep the arrows).
bool IsArrowNavigable(HWND hWnd) {
    const DWORD type = ButtonType(hWnd);
    return hWnd && hWnd->kind == ControlClass::Button && type != BS_GROUPBOX;
}

bool IsBackground(HWND hWnd) {
    return !hWnd || hWnd->isDialog || hWnd->kind == ControlClass::Static ||
           ButtonType(hWnd) == BS_GROUPBOX;
}

UINT MouseFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    UINT flags = 0;
    flags |= (buttons & Qt::LeftButton) ? MK_LBUTTON : 0;
    flags |= (buttons & Qt::RightButton) ? MK_RBUTTON : 0;
    flags |= (modifiers & Qt::ShiftModifier) ? MK_SHIFT : 0;
    flags |= (modifiers & Qt::ControlModifier) ? MK_CONTROL : 0;
    return flags;
}

WPARAM VirtualKey(int key) {
    switch (key) {
    case Qt::Key_Backspace:
        return 0x08;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return 0x09;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 0x0D;
    case Qt::Key_Escape:
        return 0x1B;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    default:
        return key >= 0x20 && key <= 0x7E ? static_cast<WPARAM>(key) : 0;
    }
}

// The mouse and keyboard messages of a control as PreTranslateMessage sees
// them; position relative to the control (not to a list's viewport).
bool TranslateToMsg(HWND hWnd, const QObject* watched, const QEvent* event, MSG& msg) {
    msg.hwnd = hWnd;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        const bool left = mouse->button() == Qt::LeftButton;
        switch (event->type()) {
        case QEvent::MouseMove:
            msg.message = WM_MOUSEMOVE;
            break;
        case QEvent::MouseButtonPress:
            msg.message = left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN;
            break;
        case QEvent::MouseButtonRelease:
            msg.message = left ? WM_LBUTTONUP : WM_RBUTTONUP;
            break;
        default:
            msg.message = WM_LBUTTONDBLCLK;
            break;
        }
        QPoint local = mouse->position().toPoint();
        if (watched != hWnd->widget.data() && watched->isWidgetType()) {
            local = static_cast<const QWidget*>(watched)->mapTo(hWnd->widget.data(), local);
        }
        msg.wParam = MouseFlags(mouse->buttons(), mouse->modifiers());
        msg.lParam = MAKELPARAM(static_cast<WORD>(local.x()), static_cast<WORD>(local.y()));
        const QPoint global = mouse->globalPosition().toPoint();
        msg.pt = CPoint{global.x(), global.y()};
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto* key = static_cast<const QKeyEvent*>(event);
        msg.message = event->type() == QEvent::KeyPress ? WM_KEYDOWN : WM_KEYUP;
        msg.wParam = VirtualKey(key->key());
        return true;
    }
    default:
        return false;
    }
}

// The events of every control pass here first: message pre-translation,
// the mouse hooks of bound objects, and tooltips.
class ControlEvents : public QObject {
public:
    explicit ControlEvents(CDialog* dialog, QObject* parent) : QObject(parent), m_dialog(dialog) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        HWND hWnd = detail::HwndOfWidget(watched);
        if (!hWnd || hWnd->isDialog || !hWnd->widget) {
            return false;
        }
        if (event->type() == QEvent::ToolTip && hWnd->toolTip) {
            ShowToolTip(hWnd, watched, static_cast<QHelpEvent*>(event));
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            MoveInGroup(hWnd, static_cast<QKeyEvent*>(event))) {
            return true;
        }
        MSG msg;
        if (!TranslateToMsg(hWnd, watched, event, msg)) {
            return false;
        }
        CWnd* object = detail::ObjectOf(hWnd);
        if (object->PreTranslateMessage(&msg) || m_dialog->PreTranslateMessage(&msg)) {
            return true;
        }
        CallMouseHooks(hWnd, object, msg);
        return false;
    }

private:
    CDialog* m_dialog;

    // Arrow keys on a button walk its group (before the button sees them).
    static bool MoveInGroup(HWND hWnd, const QKeyEvent* key);

    static void CallMouseHooks(HWND hWnd, CWnd* object, const MSG& msg) {
        const CPoint point{
            static_cast<LONG>(static_cast<short>(LOWORD(static_cast<DWORD_PTR>(msg.lParam)))),
            static_cast<LONG>(static_cast<short>(HIWORD(static_cast<DWORD_PTR>(msg.lParam))))};
        const UINT flags = static_cast<UINT>(msg.wParam);
        switch (msg.message) {
        case WM_MOUSEMOVE:
            detail::AskForCursor(hWnd, hWnd->widget);
            object->OnMouseMove(flags, point);
            break;
        case WM_LBUTTONDOWN:
            object->OnLButtonDown(flags, point);
            break;
        case WM_LBUTTONUP:
            object->OnLButtonUp(flags, point);
            break;
        default:
            break;
        }
    }

    static void ShowToolTip(HWND hWnd, QObject* watched, const QHelpEvent* help) {
        QPoint local = help->pos();
        if (watched != hWnd->widget.data() && watched->isWidgetType()) {
            local = static_cast<QWidget*>(watched)->mapTo(hWnd->widget.data(), local);
        }
        const std::string* tip = hWnd->toolTip->TipAt(hWnd, CPoint{local.x(), local.y()});
        if (tip && !tip->empty()) {
            QToolTip::showText(help->globalPos(), detail::ToQt(*tip), hWnd->widget);
        } else {
            QToolTip::hideText();
        }
    }
};

} // namespace

// ============================================================ the dialog's window

namespace detail {

class DialogWidget : public QDialog, public WindowLink {
public:
    DialogWidget(HWND hWnd, CDialog* dialog, QWidget* owner, Qt::WindowFlags flags)
        : QDialog(owner, flags), WindowLink(hWnd), m_dialog(dialog) {
        auto* systemMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
        QObject::connect(systemMenuKey, &QShortcut::activated,
                         [this] { ShowSystemMenu(mapToGlobal(QPoint(0, 0))); });
        auto* closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
        QObject::connect(closeKey, &QShortcut::activated, [this] { SystemCommand(SC_CLOSE); });
    }

    void SetText(const QString& text) override { setWindowTitle(text); }
    QString Text() const override { return windowTitle(); }
    void MoveFocus(bool next) { focusNextPrevChild(next); }

    void ShowSystemMenu(const QPoint& globalPosition) {
        CMenu* systemMenu = m_dialog->GetSystemMenu(FALSE);
        if (!systemMenu) {
            return;
        }
        AfxCallWindowProc(m_dialog, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(systemMenu),
                          MAKELPARAM(0, TRUE));
        auto* menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        for (const CMenu::Item& item : systemMenu->Items()) {
            if (item.flags & MF_SEPARATOR) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(ToQt(item.text));
            action->setEnabled(!(item.flags & (MF_GRAYED | MF_DISABLED)));
            const auto id = static_cast<UINT>(item.id);
            QObject::connect(action, &QAction::triggered, [this, id] { SystemCommand(id); });
        }
        menu->popup(globalPosition);
    }

    // Enter as a Windows dialog takes it: the focused push button, else the
    // default button, else the OK command.
    void PressEnter() {
        HWND focus = HwndOfWidget(focusWidget());
        if (IsPushButton(focus) && focus->widget->isEnabled()) {
            static_cast<QAbstractButton*>(focus->widget.data())->click();
            return;
        }
        const WORD defId = LOWORD(m_dialog->GetDefID());
        const int id = defId ? defId : IDOK;
        CDialog::Run* run = m_dialog->GetRun();
        HWND control = run ? FindControl(*run, id) : nullptr;
        if (!control || control->widget->isEnabled()) {
            DialogAccess::Command(*m_dialog, id);
        }
    }

    // The arrow keys on a button walk its group; an automatic radio button
    // reached this way is checked, as a click would.
    bool MoveInGroup(int key) {
        const bool previous = key == Qt::Key_Up || key == Qt::Key_Left;
        if (!previous && key != Qt::Key_Down && key != Qt::Key_Right) {
            return false;
        }
        HWND focus = HwndOfWidget(focusWidget());
        if (!IsArrowNavigable(focus)) {
            return false;
        }
        CWnd* start = ObjectOf(focus);
        CWnd* target = start;
        do {
            target = m_dialog->GetNextDlgGroupItem(target, previous ? TRUE : FALSE);
        } while (target && target != start && !IsArrowNavigable(target->GetSafeHwnd()));
        if (!target || target == start) {
            return true;
        }
        target->GetQtWidget()->setFocus(Qt::OtherFocusReason);
        if (ButtonType(target->GetSafeHwnd()) == BS_AUTORADIOBUTTON) {
            static_cast<CButton*>(target)->Click();
        }
        return true;
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool plain =
            event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
        if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            PressEnter();
        } else if (plain && event->key() == Qt::Key_Escape) {
            DialogAccess::Command(*m_dialog, IDCANCEL);
        } else if (plain && MoveInGroup(event->key())) {
            // handled
        } else {
            QWidget::keyPressEvent(event);
            return;
        }
        event->accept();
    }

    void closeEvent(QCloseEvent* event) override {
        // The close box: the system's Close command, which ends in IDCANCEL.
        event->ignore();
        SystemCommand(SC_CLOSE);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        QWidget* child = childAt(event->pos());
        if (event->reason() == QContextMenuEvent::Mouse && IsBackground(HwndOfWidget(child))) {
            ShowSystemMenu(event->globalPos());
            event->accept();
        } else {
            event->ignore();
        }
    }

    bool focusNextPrevChild(bool next) override {
        CWnd* current = ObjectOf(HwndOfWidget(focusWidget()));
        if (current == m_dialog) {
            current = nullptr;
        }
        CWnd* target = m_dialog->GetNextDlgTabItem(current, next ? FALSE : TRUE);
        if (target && IsRadioButton(target->GetSafeHwnd())) {
            target = CheckedRadioInGroup(target);
        }
        if (target) {
            m_dialog->GotoDlgCtrl(target);
        }
        return true;
    }

    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        if (!DialogAccess::HasPaintHandler(*m_dialog)) {
            return;
        }
        QPainter painter(this);
        SetCurrentPainter(Hwnd(), &painter);
        AfxCallWindowProc(m_dialog, WM_PAINT, 0, 0);
        SetCurrentPainter(nullptr, nullptr);
    }

private:
    CDialog* m_dialog;

    void SystemCommand(UINT id) { AfxCallWindowProc(m_dialog, WM_SYSCOMMAND, id, 0); }

    // Tabbing into a radio group lands on its checked button.
    CWnd* CheckedRadioInGroup(CWnd* radio) {
        for (CWnd* candidate = radio;;) {
            auto* button = dynamic_cast<CButton*>(candidate);
            if (button && IsRadioButton(button->GetSafeHwnd()) &&
                button->GetCheck() == BST_CHECKED) {
                return button;
            }
            candidate = m_dialog->GetNextDlgGroupItem(candidate, FALSE);
            if (!candidate || candidate == radio) {
                return radio;
            }
        }
    }
};

} // namespace detail

namespace {
bool ControlEvents::MoveInGroup(HWND hWnd, const QKeyEvent* key) {
    const bool plain = key->modifiers() == Qt::NoModifier || key->modifiers() == Qt::KeypadModifier;
    if (!plain || !IsArrowNavigable(hWnd) || !hWnd->dialog || !hWnd->dialog->GetRun()) {
        return false;
    }
    auto* widget = static_cast<detail::DialogWidget*>(hWnd->dialog->GetRun()->self.widget.data());
    return widget->MoveInGroup(key->key());
}
} // namespace

// ============================================================ CDialog

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::CDialog(const DialogTemplate& dialogTemplate, CWnd* pParentWnd)
    : m_pTemplate(&dialogTemplate), m_nIDTemplate(dialogTemplate.id), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
    if (m_pRun) {
        CDialog::DestroyWindow();
    }
}

UINT CDialog::GetTemplateID() const noexcept {
    return m_nIDTemplate;
}

bool CDialog::CreateWindowFromTemplate() {
    const DialogTemplate* dialogTemplate =
        m_pTemplate ? m_pTemplate : AfxFindDialogTemplate(m_nIDTemplate);
    if (!dialogTemplate || m_pRun) {
        return false;
    }
    m_pRun = std::make_unique<Run>();
    Run& run = *m_pRun;
    run.font = DialogFont(dialogTemplate->fontFace, dialogTemplate->fontPointSize);
    run.baseUnits = BaseUnitsOf(run.font);

    QWidget* owner = nullptr;
    CWnd* ownerWnd = m_pParentWnd ? m_pParentWnd : AfxGetMainWnd();
    if (ownerWnd && ownerWnd != this && ownerWnd->GetQtWidget()) {
        owner = ownerWnd->GetQtWidget()->window();
    } else {
        owner = QApplication::activeModalWidget();
    }

    const DWORD style = dialogTemplate->style;
    Qt::WindowFlags flags =
        (dialogTemplate->exStyle & WS_EX_APPWINDOW) || !owner ? Qt::Window : Qt::Dialog;
    flags |= Qt::CustomizeWindowHint;
    flags |= (style & WS_CAPTION) ? Qt::WindowTitleHint : Qt::WindowFlags();
    flags |= (style & WS_SYSMENU) ? (Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
                                  : Qt::WindowFlags();
    flags |= (style & WS_MINIMIZEBOX) ? Qt::WindowMinimizeButtonHint : Qt::WindowFlags();

    run.self.isDialog = true;
    run.self.dialog = this;
    run.self.id = static_cast<int>(dialogTemplate->id);
    run.self.style = style;
    run.self.exStyle = dialogTemplate->exStyle;
    auto* widget = new detail::DialogWidget(&run.self, this, owner, flags);
    run.self.widget = widget;
    widget->setFont(run.font);
    widget->setWindowTitle(detail::ToQt(dialogTemplate->caption ? dialogTemplate->caption : ""));
    widget->setWindowModality(Qt::ApplicationModal);
    CRect client{0, 0, dialogTemplate->cx, dialogTemplate->cy};
    MapDialogRect(&client);
    if (style & WS_THICKFRAME) {
        widget->resize(client.Width(), client.Height());
    } else {
        widget->setFixedSize(client.Width(), client.Height());
    }
    detail::AddLiveWindow(&run.self);
    Attach(&run.self);

    if (style & WS_SYSMENU) {
        run.hasSystemMenu = true;
        if (style & WS_MINIMIZEBOX) {
            run.systemMenu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
        }
        run.systemMenu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tAlt+F4");
    }

    auto* events = new ControlEvents(this, widget);
    for (const ControlTemplate& control : dialogTemplate->controls) {
        auto record = std::make_unique<HWND__>();
        record->kind = control.kind;
        record->id = control.id;
        record->style = control.style;
        record->exStyle = control.exStyle;
        record->order = static_cast<UINT>(run.controls.size());
        record->dialog = this;
        QWidget* child = nullptr;
        switch (control.kind) {
        case ControlClass::Button:
            child = detail::CreateButton(record.get(), control, widget);
            break;
        case ControlClass::Static:
            child = detail::CreateStatic(record.get(), control, widget);
            break;
        case ControlClass::Edit:
            child = detail::CreateEdit(record.get(), control, widget);
            break;
        case ControlClass::ListView:
            child = detail::CreateListView(record.get(), control, widget);
            break;
        case ControlClass::Progress:
            child = detail::CreateProgress(record.get(), control, widget);
            break;
        }
        record->widget = child;
        child->setFont(run.font);
        // Sizes map on their own, as Windows does when it creates the controls.
        child->setGeometry(
            MulDiv(control.x, run.baseUnits.cx, 4), MulDiv(control.y, run.baseUnits.cy, 8),
            MulDiv(control.cx, run.baseUnits.cx, 4), MulDiv(control.cy, run.baseUnits.cy, 8));
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
        if (control.kind == ControlClass::Button &&
            (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON && run.defId == 0) {
            run.defId = static_cast<UINT>(control.id);
        }
        detail::AddLiveWindow(record.get());
        run.controls.push_back(std::move(record));
    }
    // The first control of the template lies on top, as on Windows.
    for (auto it = run.controls.rbegin(); it != run.controls.rend(); ++it) {
        (*it)->widget->raise();
    }
    QObject::connect(qApp, &QApplication::focusChanged, widget, [this] { ShowDefaultButton(); });
    return true;
}

void CDialog::ShowDefaultButton() {
    if (!m_pRun) {
        return;
    }
    HWND focus = detail::HwndOfWidget(m_pRun->self.widget->focusWidget());
    const bool focusOnPushButton = IsPushButton(focus) && focus->dialog == this;
    for (const auto& control : m_pRun->controls) {
        if (auto* button = dynamic_cast<QPushButton*>(control->widget.data());
            button && IsPushButton(control.get())) {
            button->setDefault(focusOnPushButton ? control.get() == focus
                                                 : control->id == static_cast<int>(m_pRun->defId));
        }
    }
}

INT_PTR CDialog::DoModal() {
    if (!IsUiThread()) {
        AfxEnsureUi();
        if (!IsUiThread()) {
            return CallOnUiThread<INT_PTR>(-1, [this] { return DoModal(); });
        }
    }
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
    CallOnUiThread([&] {
        if (!m_pRun) {
            return;
        }
        m_pRun->result = nResult;
        m_pRun->ended = true;
        if (m_pRun->loop) {
            m_pRun->loop->exit();
        }
    });
}

BOOL CDialog::DestroyWindow() {
    return CallOnUiThread<BOOL>(FALSE, [this]() -> BOOL {
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
    });
}

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

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
    return CallOnUiThread<BOOL>(FALSE, [&]() -> BOOL {
        if (!m_pRun) {
            return FALSE;
        }
        CDataExchange exchange(this, bSaveAndValidate);
        try {
            DoDataExchange(&exchange);
        } catch (const DataExchangeFailure&) {
            if (CWnd* control = GetDlgItem(exchange.m_idLastControl)) {
                GotoDlgCtrl(control);
            }
            return FALSE;
        }
        return TRUE;
    });
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

void CDialog::SetDefID(UINT nID) {
    CallOnUiThread([&] {
        if (m_pRun) {
            m_pRun->defId = nID;
            ShowDefaultButton();
        }
    });
}

DWORD CDialog::GetDefID() const {
    return CallOnUiThread<DWORD>(0, [&]() -> DWORD {
        if (!m_pRun || m_pRun->defId == 0) {
            return 0;
        }
        return static_cast<DWORD>(MAKELPARAM(static_cast<WORD>(m_pRun->defId), DC_HASDEFID));
    });
}

void CDialog::GotoDlgCtrl(CWnd* pWndCtrl) {
    CallOnUiThread([&] {
        if (QWidget* widget = pWndCtrl ? pWndCtrl->GetQtWidget() : nullptr) {
            // As by the Tab key: an edit that gets the focus this way selects its text.
            widget->setFocus(Qt::TabFocusReason);
        }
    });
}

void CDialog::NextDlgCtrl() {
    CallOnUiThread([&] {
        if (m_pRun) {
            static_cast<detail::DialogWidget*>(m_pRun->self.widget.data())->MoveFocus(true);
        }
    });
}

void CDialog::PrevDlgCtrl() {
    CallOnUiThread([&] {
        if (m_pRun) {
            static_cast<detail::DialogWidget*>(m_pRun->self.widget.data())->MoveFocus(false);
        }
    });
}

CSize CDialog::GetDialogBaseUnits() const {
    return CallOnUiThread(CSize{}, [&] { return m_pRun ? m_pRun->baseUnits : CSize{}; });
}

void CDialog::MapDialogRect(CRect* pRect) const {
    const CSize base = GetDialogBaseUnits();
    pRect->left = MulDiv(pRect->left, base.cx, 4);
    pRect->right = MulDiv(pRect->right, base.cx, 4);
    pRect->top = MulDiv(pRect->top, base.cy, 8);
    pRect->bottom = MulDiv(pRect->bottom, base.cy, 8);
}

// ============================================================ data exchange

CDataExchange::CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate)
    : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

HWND CDataExchange::PrepareCtrl(int nIDC) {
    CWnd* control = m_pDlgWnd ? m_pDlgWnd->GetDlgItem(nIDC) : nullptr;
    if (!control) {
        throw std::logic_error("data exchange with a control the dialog does not have");
    }
    m_idLastControl = nIDC;
    m_bEditLastControl = FALSE;
    return control->GetSafeHwnd();
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
    HWND control = PrepareCtrl(nIDC);
    m_bEditLastControl = TRUE;
    return control;
}

void CDataExchange::Fail() {
    throw DataExchangeFailure{};
}

void DDX_Text(CDataExchange* pDX, int nIDC, std::string& value) {
    CWnd* control = detail::ObjectOf(pDX->PrepareEditCtrl(nIDC));
    if (pDX->m_bSaveAndValidate) {
        control->GetWindowText(value);
    } else {
        control->SetWindowText(value);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value) {
    CWnd* control = detail::ObjectOf(pDX->PrepareEditCtrl(nIDC));
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(std::to_string(value));
        return;
    }
    std::string text;
    control->GetWindowText(text);
    const char* begin = text.c_str();
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(begin, &end, 10);
    while (*end == ' ' || *end == '\t') {
        ++end;
    }
    if (end == begin || *end != '\0' || errno == ERANGE || parsed < INT_MIN || parsed > INT_MAX) {
        AfxMessageBox("Please enter an integer.", MB_ICONEXCLAMATION);
        pDX->Fail();
    }
    value = static_cast<int>(parsed);
}

void DDX_Radio(CDataExchange* pDX, int nIDC, int& value) {
    HWND first = pDX->PrepareCtrl(nIDC);
    const CDialog::Run* run = first->dialog ? first->dialog->GetRun() : nullptr;
    if (!run) {
        return;
    }
    if (pDX->m_bSaveAndValidate) {
        value = -1;
    }
    int index = 0;
    for (std::size_t i = first->order; i < run->controls.size(); ++i) {
        HWND control = run->controls[i].get();
        if (i != first->order && (control->style & WS_GROUP)) {
            break;
        }
        if (!IsRadioButton(control)) {
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

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
    auto* button = dynamic_cast<CButton*>(detail::ObjectOf(pDX->PrepareCtrl(nIDC)));
    if (!button) {
        throw std::logic_error("a check exchange with a control that is no button");
    }
    if (pDX->m_bSaveAndValidate) {
        value = button->GetCheck();
    } else {
        button->SetCheck(value);
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
