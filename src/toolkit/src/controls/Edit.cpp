#include "toolkit/Edit.h"

#include "toolkit/UiManager.h"

namespace toolkit {

EditUI::EditUI() { handCursor_ = false; }

void* EditUI::GetInterface(std::string_view name) {
    return name == "Edit" ? this : LabelUI::GetInterface(name);
}

void EditUI::SetEditing(bool editing) {
    editing_ = editing;
    Invalidate();
}

bool EditUI::SetAttribute(std::string_view name, std::string_view value) {
    if (name == "autoselall")
        autoSelAll_ = ParseBool(value);
    else if (name == "readonly")
        readOnly_ = ParseBool(value);
    else if (name == "normalimage")
        normalImage_ = value;
    else if (name == "hotimage")
        hotImage_ = value;
    else if (name == "pushedimage" || name == "focusedimage")
        pushedImage_ = value;
    else if (name == "disabledimage" || name == "disableimage")
        disabledImage_ = value;
    else
        return LabelUI::SetAttribute(name, value);
    return true;
}

void EditUI::DoEvent(UiEvent& event) {
    switch (event.type) {
        case EventType::MouseEnter:
            hot_ = true;
            Invalidate();
            return;
        case EventType::MouseLeave:
            hot_ = false;
            Invalidate();
            return;
        case EventType::ButtonUp:
            if (enabled_ && !readOnly_ && pos_.Contains(event.pt) && manager_ && manager_->Host())
                manager_->Host()->BeginEdit(*this);
            return;
        default:
            LabelUI::DoEvent(event);
    }
}

void EditUI::PaintStatusImage(Canvas& canvas) {
    if (!enabled_ && !disabledImage_.empty() && DrawImage(canvas, disabledImage_)) return;
    if (editing_ && !pushedImage_.empty() && DrawImage(canvas, pushedImage_)) return;
    if (hot_ && !hotImage_.empty() && DrawImage(canvas, hotImage_)) return;
    if (!normalImage_.empty()) DrawImage(canvas, normalImage_);
}

void EditUI::PaintText(Canvas& canvas) {
    // The native entry shows the text while editing.
    if (!editing_) LabelUI::PaintText(canvas);
}

}  // namespace toolkit
