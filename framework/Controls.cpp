// Buttons, static controls and edits.

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

bool IsRadio(HWND hWnd) {
    const DWORD type = hWnd->style & BS_TYPEMASK;
    return hWnd->kind == ControlClass::Button &&
           (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON);
}

// An automatic radio button that gets checked unchecks the others of its group.
void UncheckRestOfGroup(HWND radio) {
    const CDialog::Run* run = radio->dialog ? radio->dialog->GetRun() : nullptr;
    if (!run) {
        return;
    }
    const auto [first, last] = GroupOf(*run, radio->order);
    for (std::size_t i = first; i <= last; ++i) {
        HWND other = run->controls[i].get();
        if (other != radio && IsRadio(other)) {
            static_cast<QAbstractButton*>(other->widget.data())->setChecked(false);
        }
    }
}

// A click: automatic check boxes and radio buttons keep what Qt toggled (a
// radio button stays checked), the plain ones leave their state to the
// program; then the dialog hears BN_CLICKED.
void OnButtonClicked(HWND hWnd, QAbstractButton* button) {
    switch (hWnd->style & BS_TYPEMASK) {
    case BS_AUTORADIOBUTTON:
        button->setChecked(true);
        UncheckRestOfGroup(hWnd);
        break;
    case BS_CHECKBOX:
    case BS_RADIOBUTTON:
        button->setChecked(!button->isChecked());
        break;
    default:
        break;
    }
    NotifyCommand(hWnd, BN_CLICKED);
}

QAbstractButton* MakeButton(HWND hWnd, DWORD type, bool pushLike, QWidget* parent) {
    if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || pushLike) {
        auto* button = new ButtonWidget<QPushButton>(hWnd, parent);
        button->setAutoDefault(false);
        button->setCheckable(pushLike); // a push-like check box stays down while checked
        return button;
    }
    if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON) {
        auto* radio = new ButtonWidget<QRadioButton>(hWnd, parent);
        radio->setAutoExclusive(false); // groups follow the template, not the parent
        return radio;
    }
    return new ButtonWidget<QCheckBox>(hWnd, parent);
}

// ============================================================ statics

class TextWidget : public QWidget, public WindowLink {
public:
    TextWidget(HWND hWnd, QWidget* parent) : QWidget(parent), WindowLink(hWnd) {
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
        PainterDC dc(&painter);
        if (auto* object = dynamic_cast<CStatic*>(ObjectOf(Hwnd()))) {
            object->CtlColor(&dc, CTLCOLOR_STATIC);
        }
        const COLORREF colour = dc.GetTextColor();
        painter.setPen(dc.HasTextColor()
                           ? QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour))
                           : palette().color(QPalette::WindowText));
        painter.drawText(rect(), TextFlags(), m_text);
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

    int TextFlags() const {
        const DWORD style = Hwnd()->style;
        int flags = Qt::AlignTop | Qt::AlignLeft | Qt::TextExpandTabs | Qt::TextWordWrap;
        flags |= (style & SS_NOPREFIX) ? 0 : Qt::TextShowMnemonic;
        return flags;
    }
};

class IconWidget : public QWidget, public WindowLink {
public:
    IconWidget(HWND hWnd, QWidget* parent) : QWidget(parent), WindowLink(hWnd) {}
    void SetText(const QString&) override {}
    QString Text() const override { return {}; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (Hwnd()->icon) {
            QPainter painter(this);
            const int size = GetSystemMetrics(SM_CXICON);
            painter.drawPixmap(QRect(0, 0, size, size), IconOf(Hwnd()->icon).pixmap(size, size));
        }
    }
};

// SS_BLACKFRAME draws the outline of its rectangle, SS_BLACKRECT fills it; a
// frame one dialog unit high is a horizontal line.
class FrameWidget : public QWidget, public WindowLink {
public:
    FrameWidget(HWND hWnd, QWidget* parent) : QWidget(parent), WindowLink(hWnd) {}
    void SetText(const QString& text) override { m_text = text; }
    QString Text() const override { return m_text; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor colour = palette().color(QPalette::WindowText);
        if ((Hwnd()->style & SS_TYPEMASK) == SS_BLACKRECT) {
            painter.fillRect(rect(), colour);
        } else {
            painter.setPen(colour);
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
    }

private:
    QString m_text;
};

// ============================================================ edits

class EditWidget;

// The text limit with the rule of EM_LIMITTEXT: it bounds what the user
// adds, not what the program sets, and what would pass it is cut from the
// end of the insertion (a paste keeps what fits).
class LimitValidator : public QValidator {
public:
    explicit LimitValidator(EditWidget* edit);
    State validate(QString& input, int& position) const override;

private:
    EditWidget* m_edit;
};

class EditWidget : public QLineEdit, public WindowLink {
public:
    EditWidget(HWND hWnd, QWidget* parent) : QLineEdit(parent), WindowLink(hWnd) {
        setValidator(new LimitValidator(this));
    }

    void SetText(const QString& text) override {
        m_setByProgram = true;
        setText(text);
        m_setByProgram = false;
    }
    QString Text() const override { return text(); }

    int m_limitBytes = 0; // 0: no limit
    bool m_setByProgram = false;
    QString m_acceptedText; // the text as it was before the edit being checked

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

LimitValidator::LimitValidator(EditWidget* edit) : QValidator(edit), m_edit(edit) {}

QValidator::State LimitValidator::validate(QString& input, int& position) const {
    if (m_edit->m_setByProgram || m_edit->m_limitBytes <= 0) {
        m_edit->m_acceptedText = input;
        return Acceptable;
    }
    // What the user added: input less the part it shares with the text
    // before, at its start and at its end.
    const QString& before = m_edit->m_acceptedText;
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < input.size() && before[prefix] == input[prefix]) {
        ++prefix;
    }
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < input.size() - prefix &&
           before[before.size() - 1 - suffix] == input[input.size() - 1 - suffix]) {
        ++suffix;
    }
    const qsizetype allowed = std::max<qsizetype>(
        m_edit->m_limitBytes, static_cast<qsizetype>(detail::FromQt(before).size()));
    qsizetype insertedEnd = input.size() - suffix;
    auto bytes = static_cast<qsizetype>(detail::FromQt(input).size());
    while (bytes > allowed && insertedEnd > prefix) {
        const qsizetype width =
            insertedEnd - prefix >= 2 && input.at(insertedEnd - 1).isLowSurrogate() ? 2 : 1;
        bytes -=
            static_cast<qsizetype>(detail::FromQt(input.mid(insertedEnd - width, width)).size());
        input.remove(insertedEnd - width, width);
        if (position >= insertedEnd) {
            position -= static_cast<int>(width);
        }
        insertedEnd -= width;
    }
    if (bytes > allowed) {
        return Invalid;
    }
    m_edit->m_acceptedText = input;
    return Acceptable;
}

} // namespace

// ============================================================ factories

QWidget* CreateButton(HWND hWnd, const ControlTemplate& control, QWidget* parent) {
    const DWORD type = control.style & BS_TYPEMASK;
    if (type == BS_GROUPBOX) {
        auto* box = new GroupBoxWidget(hWnd, parent);
        box->setTitle(ToQt(control.text));
        box->setAttribute(Qt::WA_TransparentForMouseEvents);
        box->setFocusPolicy(Qt::NoFocus);
        return box;
    }
    const bool pushLike =
        (control.style & BS_PUSHLIKE) && type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON;
    QAbstractButton* button = MakeButton(hWnd, type, pushLike, parent);
    button->setText(ToQt(control.text));
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON) {
        button->setCheckable(true);
    }
    button->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(button, &QAbstractButton::clicked,
                     [hWnd, button] { OnButtonClicked(hWnd, button); });
    return button;
}

QWidget* CreateStatic(HWND hWnd, const ControlTemplate& control, QWidget* parent) {
    QWidget* widget = nullptr;
    switch (control.style & SS_TYPEMASK) {
    case SS_ICON:
        hWnd->icon = AfxLoadIcon(control.iconId);
        widget = new IconWidget(hWnd, parent);
        break;
    case SS_BLACKFRAME:
    case SS_BLACKRECT:
        widget = new FrameWidget(hWnd, parent);
        break;
    default: {
        auto* text = new TextWidget(hWnd, parent);
        text->SetText(ToQt(control.text));
        widget = text;
        break;
    }
    }
    widget->setFocusPolicy(Qt::NoFocus);
    widget->setAttribute(Qt::WA_TransparentForMouseEvents, !(control.style & SS_NOTIFY));
    return widget;
}

void ApplyStaticStyle(HWND hWnd) {
    if (QWidget* widget = WidgetOf(hWnd)) {
        widget->setAttribute(Qt::WA_TransparentForMouseEvents, !(hWnd->style & SS_NOTIFY));
        widget->update();
    }
}

QWidget* CreateEdit(HWND hWnd, const ControlTemplate& control, QWidget* parent) {
    auto* edit = new EditWidget(hWnd, parent);
    const DWORD style = control.style;
    edit->setFrame((style & WS_BORDER) || (control.exStyle & WS_EX_CLIENTEDGE));
    edit->setFocusPolicy(Qt::StrongFocus);
    QObject::connect(edit, &QLineEdit::textChanged, [hWnd] { NotifyCommand(hWnd, EN_CHANGE); });
    return edit;
}

} // namespace detail

// ============================================================ CStatic

HBRUSH CStatic::CtlColor(CDC*, UINT) {
    return nullptr;
}

void CStatic::OnClicked() {
    detail::NotifyCommand(GetSafeHwnd(), STN_CLICKED);
}

// ============================================================ CButton

int CButton::GetCheck() const {
    return detail::OnUi(this, 0, [](HWND hWnd) {
        auto* button = detail::WidgetAs<QAbstractButton>(hWnd);
        return button && button->isCheckable() && button->isChecked() ? 1 : 0;
    });
}

void CButton::SetCheck(int nCheck) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        if (auto* button = detail::WidgetAs<QAbstractButton>(hWnd);
            button && button->isCheckable()) {
            button->setChecked(nCheck == BST_CHECKED);
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

// ============================================================ CEdit

void CEdit::LimitText(int nChars) {
    detail::OnUi(this, 0, [&](HWND hWnd) {
        if (auto* edit = dynamic_cast<detail::EditWidget*>(hWnd->widget.data())) {
            edit->m_limitBytes = std::max(nChars, 0);
        }
        return 0;
    });
}

} // namespace nodescout
