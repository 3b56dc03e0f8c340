// The dialog's Qt widget and the translation of Qt events into the
// messages and hooks of the framework: keys as in a Windows dialog, the
// close box and the system menu, painting, and the pointer's movements over
// the controls on their way to PreTranslateMessage.

#include "framework/Dialog.h"

#include "framework/detail/Window.h"

#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>

namespace nodescout::detail {

namespace {

// Controls the arrow keys move between (the rest keep the arrows).
bool IsArrowNavigable(HWND hWnd) {
    return hWnd && hWnd->kind == ControlClass::Button && ButtonType(hWnd) != BS_GROUPBOX;
}

// A key without modifiers (the keypad's keys count as plain).
bool IsPlain(const QKeyEvent& key) {
    return key.modifiers() == Qt::NoModifier || key.modifiers() == Qt::KeypadModifier;
}

bool IsBackground(HWND hWnd) {
    return !hWnd || hWnd->isDialog || hWnd->kind == ControlClass::Static ||
           ButtonType(hWnd) == BS_GROUPBOX;
}

// A position in the watched widget as relative to the control (not to a
// list's viewport).
QPoint PositionInControl(HWND hWnd, const QObject* watched, QPoint position) {
    if (watched != hWnd->widget.data() && watched->isWidgetType()) {
        return static_cast<const QWidget*>(watched)->mapTo(hWnd->widget.data(), position);
    }
    return position;
}

class DialogWidget : public QDialog, public WindowLink {
public:
    DialogWidget(HWND hWnd, CDialog* dialog, QWidget* owner, Qt::WindowFlags flags)
        : QDialog(owner, flags), WindowLink(hWnd), m_dialog(dialog) {
        auto* systemMenuKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), this);
        QObject::connect(systemMenuKey, &QShortcut::activated, [this] {
            detail::ShowSystemMenu(*m_dialog, this, mapToGlobal(QPoint(0, 0)));
        });
        auto* closeKey = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_F4), this);
        QObject::connect(closeKey, &QShortcut::activated, [this] { SystemCommand(SC_CLOSE); });
    }

    void SetText(const QString& text) override { setWindowTitle(text); }
    QString Text() const override { return windowTitle(); }

    // Enter as a Windows dialog takes it: the focused push button, else the
    // default button, else the OK command.
    void PressEnter() {
        HWND focus = HwndOfWidget(focusWidget());
        if (IsPushButton(focus) && focus->widget->isEnabled()) {
            static_cast<QAbstractButton*>(focus->widget.data())->click();
            return;
        }
        const CDialog::Run& run = *m_dialog->GetRun();
        const int id = run.defId ? static_cast<int>(run.defId) : IDOK;
        HWND control = FindControl(run, id);
        if (!control || control->widget->isEnabled()) {
            DialogAccess::Command(*m_dialog, id);
        }
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool plain = IsPlain(*event);
        if (plain && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            PressEnter();
        } else if (plain && event->key() == Qt::Key_Escape) {
            DialogAccess::Command(*m_dialog, IDCANCEL);
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
            detail::ShowSystemMenu(*m_dialog, this, event->globalPos());
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
            // As in Windows, an edit reached by Tab selects its text.
            target->GetQtWidget()->setFocus(Qt::TabFocusReason);
        }
        return true;
    }

    void paintEvent(QPaintEvent* event) override {
        QDialog::paintEvent(event);
        // A WM_PAINT handler draws on top; without one the message does nothing.
        QPainter painter(this);
        SetCurrentPainter(Hwnd(), &painter);
        AfxCallWindowProc(m_dialog, WM_PAINT, 0, 0);
        SetCurrentPainter(nullptr, nullptr);
    }

    // Every control's events pass here first.
    bool eventFilter(QObject* watched, QEvent* event) override {
        HWND hWnd = HwndOfWidget(watched);
        if (!hWnd || hWnd->isDialog || !hWnd->widget) {
            return false;
        }
        if (event->type() == QEvent::ToolTip && !hWnd->toolTip.expired()) {
            const auto* help = static_cast<const QHelpEvent*>(event);
            ShowToolTip(hWnd, PositionInControl(hWnd, watched, help->pos()), help->globalPos());
            return true;
        }
        if (event->type() == QEvent::KeyPress &&
            MoveInGroup(hWnd, *static_cast<QKeyEvent*>(event))) {
            return true;
        }
        // Only pointer movements are translated: only statics pre-translate,
        // and they only follow the pointer.
        if (event->type() != QEvent::MouseMove) {
            return false;
        }
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        const QPoint local = PositionInControl(hWnd, watched, mouse->position().toPoint());
        MSG msg{WM_MOUSEMOVE, 0,
                MAKELPARAM(static_cast<WORD>(local.x()), static_cast<WORD>(local.y()))};
        CWnd* object = ObjectOf(hWnd);
        if (object->PreTranslateMessage(&msg) || m_dialog->PreTranslateMessage(&msg)) {
            return true;
        }
        AskForCursor(hWnd, hWnd->widget);
        object->OnMouseMove(0, CPoint{local.x(), local.y()});
        return false;
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

    // The arrow keys on a button walk its group before the button sees them;
    // an automatic radio button reached this way is checked, as a click would.
    bool MoveInGroup(HWND hWnd, const QKeyEvent& key) {
        const bool previous = key.key() == Qt::Key_Up || key.key() == Qt::Key_Left;
        if (!IsPlain(key) || !IsArrowNavigable(hWnd) ||
            (!previous && key.key() != Qt::Key_Down && key.key() != Qt::Key_Right)) {
            return false;
        }
        CWnd* start = ObjectOf(hWnd);
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
};

} // namespace

QWidget* CreateDialogWidget(HWND hWnd, CDialog* dialog, QWidget* owner, Qt::WindowFlags flags) {
    return new DialogWidget(hWnd, dialog, owner, flags);
}

} // namespace nodescout::detail
