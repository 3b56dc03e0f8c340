// The progress bar. The control keeps the Windows state itself (QProgressBar
// clamps differently, animates when minimum equals maximum and prints a
// percentage) and only shows it through a fixed 0..10000 scale.

#include "framework/Controls.h"

#include "framework/detail/Window.h"

#include <QProgressBar>

#include <algorithm>
#include <utility>

namespace nodescout {

namespace detail {

namespace {

class ProgressWidget : public QProgressBar, public WindowLink {
public:
    ProgressWidget(HWND hWnd, QWidget* parent) : QProgressBar(parent), WindowLink(hWnd) {
        setRange(0, kScale);
        setTextVisible(false);
        Show();
    }

    void SetText(const QString& text) override { m_text = text; }
    QString Text() const override { return m_text; }

    // The Windows state: the range 0..100 and step 10 that a new bar has.
    int m_lower = 0;
    int m_upper = 100;
    int m_pos = 0;
    int m_step = 10;

    int InRange(int pos) const { return std::min(std::max(pos, m_lower), m_upper); }

    void Show() {
        const long long span = static_cast<long long>(m_upper) - m_lower;
        const long long done = static_cast<long long>(m_pos) - m_lower;
        const int shown = span > 0 ? static_cast<int>(done * kScale / span) : 0;
        if (shown == value()) {
            return;
        }
        // QProgressBar::setValue paints at once, inside the message that
        // moved the bar, so a worker stepping it would wait for a paint on
        // every address. With updates off the paint comes at the next turn
        // of the event loop, as for every other control.
        setUpdatesEnabled(false);
        setValue(shown);
        setUpdatesEnabled(true); // schedules the paint
    }

    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam) {
        LRESULT previous = m_pos; // what the messages that move the bar answer
        switch (message) {
        case PBM_SETRANGE:
            previous = MAKELPARAM(static_cast<WORD>(m_lower), static_cast<WORD>(m_upper));
            m_lower = LOWORD(static_cast<DWORD_PTR>(lParam));
            m_upper = HIWORD(static_cast<DWORD_PTR>(lParam));
            m_pos = InRange(m_pos);
            break;
        case PBM_GETRANGE:
            return wParam ? m_lower : m_upper;
        case PBM_SETPOS:
            m_pos = InRange(static_cast<int>(wParam));
            break;
        case PBM_SETSTEP:
            return std::exchange(m_step, static_cast<int>(wParam));
        case PBM_STEPIT:
            m_pos += m_step;
            if (m_pos > m_upper) {
                m_pos = m_lower;
            } else if (m_pos < m_lower) {
                m_pos = m_upper;
            }
            break;
        case PBM_GETPOS:
            return m_pos;
        default:
            return 0;
        }
        Show();
        return previous;
    }

private:
    static constexpr int kScale = 10000;
    QString m_text;
};

} // namespace

QWidget* CreateProgress(HWND hWnd, const ControlTemplate&, QWidget* parent) {
    return new ProgressWidget(hWnd, parent);
}

} // namespace detail

LRESULT CProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message >= PBM_SETRANGE && message <= PBM_GETPOS) {
        auto* bar = dynamic_cast<detail::ProgressWidget*>(detail::WidgetOf(GetSafeHwnd()));
        return bar ? bar->Handle(message, wParam, lParam) : 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
}

void CProgressCtrl::GetRange(int& nLower, int& nUpper) const {
    RequireUiThread();
    auto* self = const_cast<CProgressCtrl*>(this);
    nLower = static_cast<int>(self->SendMessage(PBM_GETRANGE, TRUE, 0));
    nUpper = static_cast<int>(self->SendMessage(PBM_GETRANGE, FALSE, 0));
}

int CProgressCtrl::SetPos(int nPos) {
    RequireUiThread();
    return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(nPos), 0));
}

} // namespace nodescout
