// The control kinds a template can name. Adding a kind: its ControlClass
// value, a widget factory, a control class, and one row here.

#include "framework/Controls.h"
#include "framework/detail/Window.h"

#include <algorithm>
#include <array>
#include <stdexcept>

namespace nodescout::detail {

namespace {

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

} // namespace

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

} // namespace nodescout::detail
