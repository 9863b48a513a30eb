// The manager's keyboard side: the focus chain, the focus mark and the keys controls act on.
#include <algorithm>

#include "core/ReadingOrder.h"
#include "toolkit/Combo.h"
#include "toolkit/Container.h"
#include "toolkit/Edit.h"
#include "toolkit/UiManager.h"

namespace toolkit {
namespace {

// Dark enough to stand out at 3:1 or more on the white and pale backgrounds of the skin.
constexpr Color kFocusMarkColor = 0xFF4A3AB8;
constexpr int kFocusMarkGap = 3;
constexpr int kFocusMarkWidth = 2;

void CollectFocusable(Control* control, const Rect& view, std::vector<Control*>& out) {
    if (!control->IsVisible() || !control->IsEnabled()) return;
    if (control->IsFocusable()) {
        if (!control->GetPos().IsEmpty() && control->GetPos().Intersects(view))
            out.push_back(control);
        return;
    }
    auto* container = static_cast<ContainerUI*>(control->GetInterface("Container"));
    if (!container) return;
    for (int i = 0; i < container->GetCount(); ++i)
        CollectFocusable(container->GetItemAt(i), view, out);
}

Rect FocusMarkRect(const Control& c) {
    const Rect& p = c.GetPos();
    return {p.left - kFocusMarkGap, p.top - kFocusMarkGap, p.right + kFocusMarkGap,
            p.bottom + kFocusMarkGap};
}

}  // namespace

std::vector<Control*> UiManager::FocusChain() const {
    std::vector<Control*> chain;
    if (!root_) return chain;
    const_cast<UiManager*>(this)->LayoutIfNeeded();
    CollectFocusable(root_.get(), root_->GetPos(), chain);
    SortInReadingOrder(chain, rtl_);
    return chain;
}

void UiManager::InvalidateFocusMark() {
    if (focus_) Invalidate(FocusMarkRect(*focus_));
}

void UiManager::SetFocus(Control* control, bool visible) {
    if (control == focus_ && visible == focusMarked_) return;
    if (focus_ && focus_ != control && host_) {
        if (auto* edit = static_cast<EditUI*>(focus_->GetInterface("Edit"));
            edit && edit->IsEditing())
            host_->EndEdit();
    }
    InvalidateFocusMark();
    focus_ = control;
    focusMarked_ = visible && control;
    InvalidateFocusMark();
}

bool UiManager::MoveFocus(bool forward) {
    const std::vector<Control*> chain = FocusChain();
    if (chain.empty()) return false;
    const auto at = std::find(chain.begin(), chain.end(), focus_);
    const int n = static_cast<int>(chain.size());
    int next;
    if (at == chain.end())
        next = forward ? 0 : n - 1;
    else
        next = (static_cast<int>(at - chain.begin()) + (forward ? 1 : n - 1)) % n;
    Control* target = chain[static_cast<std::size_t>(next)];
    SetFocus(target, true);
    // Typing goes straight into a focused text field.
    if (auto* edit = static_cast<EditUI*>(target->GetInterface("Edit")); edit && host_)
        host_->BeginEdit(*edit);
    return true;
}

bool UiManager::ActivateFocus(Key key) {
    if (!focus_ || !focus_->IsVisibleInTree() || !focus_->IsEnabledInTree()) return false;
    if (auto* edit = static_cast<EditUI*>(focus_->GetInterface("Edit"))) {
        if (key != Key::Space || !host_ || edit->IsEditing()) return false;
        host_->BeginEdit(*edit);
        return true;
    }
    if (!focus_->GetInterface("Button") && !focus_->GetInterface("Combo")) return false;
    // Space flips a check box or option; Enter stays the window's default action, so ticking
    // a box with the mouse and pressing Enter does not untick it again.
    if (key == Key::Enter && focus_->GetInterface("Option")) return false;
    focusMarked_ = true;
    return focus_->Activate();
}

bool UiManager::OnKeyDown(Key key, bool shift) {
    switch (key) {
        case Key::Tab:
            return MoveFocus(!shift);
        case Key::Space:
        case Key::Enter:
            return ActivateFocus(key);
        case Key::Up:
        case Key::Down: {
            auto* combo = focus_ ? static_cast<ComboUI*>(focus_->GetInterface("Combo")) : nullptr;
            if (!combo || !combo->IsEnabledInTree()) return false;
            const int step = key == Key::Down ? 1 : -1;
            for (int i = combo->GetCurSel() + step; i >= 0 && i < combo->GetCount(); i += step) {
                const Control* item = combo->GetItemAt(i);
                if (item->IsVisible() && item->IsEnabled()) return combo->SelectItem(i, true);
            }
            return true;
        }
        case Key::Escape:
            return false;
    }
    return false;
}

void UiManager::PaintFocusMark(Canvas& canvas) {
    if (!IsFocusMarked() || !focus_->IsVisibleInTree()) return;
    const Radii round =
        focus_->GetColorRound().IsZero() ? focus_->GetBorderRound() : focus_->GetColorRound();
    const Radii radii = round.IsZero() ? Radii{kFocusMarkGap, kFocusMarkGap}
                                       : Radii{round.x + kFocusMarkGap, round.y + kFocusMarkGap};
    canvas.StrokeRoundRect(FocusMarkRect(*focus_), radii, kFocusMarkWidth, kFocusMarkColor);
}

}  // namespace toolkit
