#include "toolkit/Button.h"

#include "toolkit/UiManager.h"

namespace toolkit {

ButtonUI::ButtonUI() {
    align_ = HAlign::Center;
    handCursor_ = false;
}

void* ButtonUI::GetInterface(std::string_view name) {
    return name == "Button" ? this : LabelUI::GetInterface(name);
}

Size ButtonUI::EstimateSize(Size available) { return LabelUI::EstimateSize(available); }

bool ButtonUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "hotbkcolor")
        bkColors_.hot = ParseColor(value);
    else if (name == "pushedbkcolor")
        bkColors_.pushed = ParseColor(value);
    else if (name == "disabledbkcolor")
        bkColors_.disabled = ParseColor(value);
    else if (name == "hottextcolor")
        textColors_.hot = ParseColor(value);
    else if (name == "pushedtextcolor")
        textColors_.pushed = ParseColor(value);
    else if (!images_.SetAttribute(name, value))
        return LabelUI::SetAttribute(name, value);
    Invalidate();
    return true;
}

void ButtonUI::DoEvent(UiEvent& event) {
    if (TrackHover(event, hot_)) return;
    switch (event.type) {
        case EventType::ButtonDown:
        case EventType::DoubleClick:
            Press(pushed_);
            return;
        case EventType::MouseMove: {
            const bool inside = pos_.Contains(event.pt);
            if (inside != hot_) {
                hot_ = inside;
                Invalidate();
            }
            return;
        }
        case EventType::ButtonUp:
            Release(pushed_, event.pt);
            return;
        default:
            LabelUI::DoEvent(event);
    }
}

bool ButtonUI::Activate() {
    if (!Control::Activate()) return false;
    if (manager_) manager_->SendNotify(this, "click");
    return true;
}

void ButtonUI::SetEnabled(bool enabled) {
    if (!enabled) pushed_ = hot_ = false;
    LabelUI::SetEnabled(enabled);
}

void ButtonUI::PaintBkColor(Canvas& canvas) {
    FillBkColor(canvas, bkColors_.Pick(State(), bkColor_));
}

void ButtonUI::PaintStatusImage(Canvas& canvas) { images_.Paint(*this, canvas, State()); }

Color ButtonUI::StateTextColor() const {
    if (!enabled_) return LabelUI::StateTextColor();
    return textColors_.Pick({false, pushed_, hot_}, LabelUI::StateTextColor());
}

// ---- Option ----

OptionUI::~OptionUI() {
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
}

void* OptionUI::GetInterface(std::string_view name) {
    return name == "Option" ? this : ButtonUI::GetInterface(name);
}

void OptionUI::SetManager(UiManager* manager, Control* parent) {
    if (manager_ != manager && manager_ && !group_.empty())
        manager_->RemoveOptionGroup(group_, this);
    const bool changed = manager_ != manager;
    ButtonUI::SetManager(manager, parent);
    if (changed && manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
}

void OptionUI::SetGroup(std::string group) {
    if (group == group_) return;
    if (manager_ && !group_.empty()) manager_->RemoveOptionGroup(group_, this);
    group_ = std::move(group);
    if (manager_ && !group_.empty()) manager_->AddOptionGroup(group_, this);
}

void OptionUI::Selected(bool selected, bool notify) {
    if (selected_ == selected) return;
    selected_ = selected;
    if (selected_ && manager_ && !group_.empty()) {
        if (const auto* members = manager_->OptionGroup(group_)) {
            const std::vector<Control*> others = *members;
            for (Control* other : others) {
                auto* option = static_cast<OptionUI*>(other->GetInterface("Option"));
                if (option && option != this) option->Selected(false, notify);
            }
        }
    }
    if (notify && manager_) manager_->SendNotify(this, "selectchanged");
    Invalidate();
}

bool OptionUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "group")
        SetGroup(std::string(value));
    else if (name == "selected")
        Selected(ParseBool(value), false);
    else if (name == "selectedbkcolor")
        selectedBkColor_ = ParseColor(value);
    else if (name == "selectedtextcolor")
        selectedTextColor_ = ParseColor(value);
    else if (name == "selectedimage")
        selectedImage_ = value;
    else
        return ButtonUI::SetAttribute(name, value);
    Invalidate();
    return true;
}

bool OptionUI::Activate() {
    if (!ButtonUI::Activate()) return false;
    if (!group_.empty())
        Selected(true);
    else
        Selected(!selected_);
    return true;
}

void OptionUI::PaintBkColor(Canvas& canvas) {
    if (selected_ && selectedBkColor_ != 0) {
        FillBkColor(canvas, selectedBkColor_);
        return;
    }
    ButtonUI::PaintBkColor(canvas);
}

void OptionUI::PaintStatusImage(Canvas& canvas) {
    if (selected_ && !selectedImage_.empty() && DrawImage(canvas, selectedImage_)) return;
    ButtonUI::PaintStatusImage(canvas);
}

Color OptionUI::StateTextColor() const {
    if (enabled_ && selected_ && selectedTextColor_ != 0) return selectedTextColor_;
    return ButtonUI::StateTextColor();
}

void* CheckBoxUI::GetInterface(std::string_view name) {
    return name == "CheckBox" ? this : OptionUI::GetInterface(name);
}

}  // namespace toolkit
