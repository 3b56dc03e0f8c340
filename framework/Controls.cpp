// Buttons, static controls and edits, and the table of the control kinds.

#include "framework/Controls.h"

#include "framework/WinApp.h"
#include "framework/detail/Window.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QValidator>

#include <algorithm>
#include <array>
#include <iterator>
#include <stdexcept>
#include <utility>

namespace nodescout {

namespace detail {

namespace {

// ============================================================ buttons

template <class Base>
class ButtonWidget : public Base, public WindowLink {
public:
    ButtonWidget(HWND hWnd, QWidget* parent) : Base(parent), WindowLink(hWnd) {}
    void SetText(const QString& text) override { Base::setText(text); }
    QString Text() const override { return Base::text(); }
};

class GroupBoxWidget : public QGroupBox, public WindowLink {
public:
    GroupBoxWidget(HWND hWnd, QWidget* parent) : QGroupBox(parent), WindowLink(hWnd) {}
    void SetText(const QString& text) override { setTitle(text); }
    QString Text() const override { return title(); }
};

// An automatic radio button that gets checked unchecks the others of its group.
void UncheckRestOfGroup(HWND radio) {
    const CDialog::Run* run = radio->dialog ? radio->dialog->GetRun() : nullptr;
    if (!run) {
        return;
    }
    const auto [first, last] = GroupOf(*run, radio->order);
    for (std::size_t i = first; i <= last; ++i) {
        HWND other = run->controls[i].get();
        if (other != radio && IsRadioButton(other)) {
            static_cast<QAbstractButton*>(other->widget.data())->setChecked(false);
        }
    }
}

// A click: a check box keeps what Qt toggled, a radio button stays checked;
// then the dialog hears BN_CLICKED.
void OnButtonClicked(HWND hWnd, QAbstractButton* button) {
    if (IsRadioButton(hWnd)) {
        button->setChecked(true);
        UncheckRestOfGroup(hWnd);
    }
    NotifyCommand(hWnd, BN_CLICKED);
}

// Buttons of the types the program uses: push buttons, automatic check
// boxes (push-like or not) and automatic radio buttons.
QAbstractButton* MakeButton(HWND hWnd, QWidget* parent) {
    if (IsPushButton(hWnd) || (hWnd->style & BS_PUSHLIKE)) {
        auto* button = new ButtonWidget<QPushButton>(hWnd, parent);
        button->setAutoDefault(false);
        return button;
    }
    if (IsRadioButton(hWnd)) {
        auto* radio = new ButtonWidget<QRadioButton>(hWnd, parent);
        radio->setAutoExclusive(false); // groups follow the template, not the parent
        return radio;
    }
    return new ButtonWidget<QCheckBox>(hWnd, parent);
}

// ============================================================ statics

// A static shows its text; an SS_ICON static its icon instead, an
// SS_BLACKFRAME one the outline of its rectangle (one dialog unit high, a
// horizontal line).
class StaticWidget : public QWidget, public WindowLink {
public:
    StaticWidget(HWND hWnd, const QString& text, QWidget* parent)
        : QWidget(parent), WindowLink(hWnd), m_text(text) {
        setMouseTracking(true);
    }
    void SetText(const QString& text) override {
        m_text = text;
        update();
    }
    QString Text() const override { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const DWORD type = Hwnd()->style & SS_TYPEMASK;
        if (type == SS_ICON) {
            if (Hwnd()->icon) {
                const int size = GetSystemMetrics(SM_CXICON);
                painter.drawPixmap(QRect(0, 0, size, size),
                                   IconOf(Hwnd()->icon).pixmap(size, size));
            }
            return;
        }
        if (type == SS_BLACKFRAME) {
            painter.setPen(palette().color(QPalette::WindowText));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
            return;
        }
        PainterDC dc(&painter);
        if (auto* object = dynamic_cast<CStatic*>(ObjectOf(Hwnd()))) {
            object->CtlColor(&dc, CTLCOLOR_STATIC);
        }
        const COLORREF colour = dc.GetTextColor();
        painter.setPen(dc.HasTextColor()
                           ? QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour))
                           : palette().color(QPalette::WindowText));
        const int prefix = (Hwnd()->style & SS_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
        painter.drawText(
            rect(), Qt::AlignTop | Qt::AlignLeft | Qt::TextExpandTabs | Qt::TextWordWrap | prefix,
            m_text);
    }

    void mousePressEvent(QMouseEvent* event) override {
        // Windows tells of a click on a notifying static as the button goes down.
        if (event->button() == Qt::LeftButton && (Hwnd()->style & SS_NOTIFY)) {
            if (auto* object = dynamic_cast<CStatic*>(ObjectOf(Hwnd()))) {
                object->OnClicked();
            }
        }
        event->accept();
    }

private:
    QString m_text;
};

// ============================================================ edits

// The text limit with the rule of EM_LIMITTEXT: it bounds what the user
// adds, not what the program sets, and what would pass it is cut from the
// end of the insertion (a paste keeps what fits).
class LimitValidator : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& input, int& position) const override {
        if (!m_setByProgram && m_limitBytes > 0) {
            // What the user added, from start to end: input less the part
            // it shares with the text before, at its start and at its end.
            const QString& before = m_acceptedText;
            const qsizetype start =
                std::ranges::mismatch(before, std::as_const(input)).in2 - input.cbegin();
            const auto shared = std::ranges::mismatch(before.rbegin(), before.rend() - start,
                                                      input.crbegin(), input.crend() - start);
            qsizetype end = shared.in2.base() - input.cbegin();
            const auto bytesOf = [](const QString& text) { return std::ssize(FromQt(text)); };
            const qsizetype allowed = std::max<qsizetype>(m_limitBytes, bytesOf(before));
            qsizetype bytes = bytesOf(input);
            while (bytes > allowed && end > start) {
                const qsizetype width =
                    end - start >= 2 && input.at(end - 1).isLowSurrogate() ? 2 : 1;
                bytes -= bytesOf(input.mid(end - width, width));
                input.remove(end - width, width);
                if (position >= end) {
                    position -= static_cast<int>(width);
                }
                end -= width;
            }
            if (bytes > allowed) {
                return Invalid;
            }
        }
        m_acceptedText = input;
        return Acceptable;
    }

    int m_limitBytes = 0; // 0: no limit
    bool m_setByProgram = false;
    mutable QString m_acceptedText; // the text as it was before the edit being checked
};

class EditWidget : public QLineEdit, public WindowLink {
public:
    EditWidget(HWND hWnd, QWidget* parent)
        : QLineEdit(parent), WindowLink(hWnd), m_limit(new LimitValidator(this)) {
        setValidator(m_limit);
    }

    void SetText(const QString& text) override {
        m_limit->m_setByProgram = true;
        setText(text);
        m_limit->m_setByProgram = false;
    }
    QString Text() const override { return text(); }

    LimitValidator* const m_limit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const DWORD style = Hwnd()->style;
        const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
        if (enter && (style & ES_MULTILINE) && (style & ES_WANTRETURN)) {
            // The edit takes Enter; one line high, it has no room for a new
            // line, so the key changes nothing and does not reach the dialog.
            event->accept();
            return;
        }
        QLineEdit::keyPressEvent(event);
    }
};

} // namespace

// ============================================================ the kinds and their factories

template <class Class>
constexpr ControlKind Kind(ControlClass kind, decltype(ControlKind::createWidget) createWidget,
                           decltype(ControlKind::showStyle) showStyle = nullptr) {
    return ControlKind{
        kind, createWidget, []() -> std::unique_ptr<CWnd> { return std::make_unique<Class>(); },
        [](const CWnd& object) { return dynamic_cast<const Class*>(&object) != nullptr; },
        showStyle};
}

constexpr std::array kKinds{
    Kind<CButton>(ControlClass::Button, CreateButton),
    Kind<CStatic>(ControlClass::Static, CreateStatic, ApplyStaticStyle),
    Kind<CEdit>(ControlClass::Edit, CreateEdit),
    Kind<CListCtrl>(ControlClass::ListView, CreateListView),
    Kind<CProgressCtrl>(ControlClass::Progress, CreateProgress),
};

const ControlKind& KindOf(ControlClass kind) {
    const auto row = std::ranges::find(kKinds, kind, &ControlKind::kind);
    if (row == kKinds.end()) {
        throw std::logic_error("a control kind without a row in the kind table");
    }
    return *row;
}

bool FitsControl(const CWnd& object, HWND control) {
    const auto row = std::ranges::find_if(
        kKinds, [&](const ControlKind& candidate) { return candidate.isOfClass(object); });
    return row == kKinds.end() || row->kind == control->kind; // a plain CWnd fits any control
}

QWidget* CreateButton(HWND hWnd, const ControlTemplate& control, QWidget* parent) {
    if ((control.style & BS_TYPEMASK) == BS_GROUPBOX) {
        auto* box = new GroupBoxWidget(hWnd, parent);
        box->setTitle(ToQt(control.text));
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        return box;
    }
    QAbstractButton* button = MakeButton(hWnd, parent);
    button->setText(ToQt(control.text));
    button->setCheckable(!IsPushButton(hWnd)); // a push-like check box stays down while checked
    button->setFocusPolicy(Qt::StrongFocus);   // whatever the style says
    QObject::connect(button, &QAbstractButton::clicked,
                     [hWnd, button] { OnButtonClicked(hWnd, button); });
    return button;
}

QWidget* CreateStatic(HWND hWnd, const ControlTemplate& control, QWidget* parent) {
    if ((control.style & SS_TYPEMASK) == SS_ICON) {
        hWnd->icon = AfxLoadIcon(control.iconId);
    }
    auto* widget = new StaticWidget(hWnd, ToQt(control.text), parent);
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, !(control.style & SS_NOTIFY));
    return widget;
}

void ApplyStaticStyle(HWND hWnd) {
    if (QWidget* widget = WidgetOf(hWnd)) {
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, !(hWnd->style & SS_NOTIFY));
        widget->update();
    }
}

QWidget* CreateEdit(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    auto* edit = new EditWidget(hWnd, parent); // framed: edits have WS_BORDER
    QObject::connect(edit, &QLineEdit::textChanged, [hWnd] { NotifyCommand(hWnd, EN_CHANGE); });
    return edit;
}

} // namespace detail

HBRUSH CStatic::CtlColor(CDC*, UINT) {
    return nullptr;
}

void CStatic::OnClicked() {
    detail::NotifyCommand(GetSafeHwnd(), STN_CLICKED);
}

int CButton::GetCheck() const {
    return detail::OnUi(this, 0, [](HWND hWnd) {
        auto* button = detail::WidgetAs<QAbstractButton>(hWnd);
        return button && button->isChecked() ? 1 : 0;
    });
}

void CButton::SetCheck(int nCheck) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        if (auto* button = detail::WidgetAs<QAbstractButton>(hWnd)) {
            button->setChecked(nCheck == BST_CHECKED); // a push button stays as it is
        }
        return 0;
    });
}

void CButton::Click() {
    detail::OnUi(this, 0, [](HWND hWnd) {
        if (auto* button = detail::WidgetAs<QAbstractButton>(hWnd)) {
            button->click();
        }
        return 0;
    });
}

void CEdit::LimitText(int nChars) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        if (auto* edit = dynamic_cast<detail::EditWidget*>(hWnd->widget.data())) {
            edit->m_limit->m_limitBytes = std::max(nChars, 0);
        }
        return 0;
    });
}

} // namespace nodescout
