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
    else if (name == "focusedimage")
        images_.SetPushed(value);
    else if (!images_.SetAttribute(name, value))
        return LabelUI::SetAttribute(name, value);
    return true;
}

void EditUI::DoEvent(UiEvent& event) {
    if (TrackHover(event, hot_)) return;
    switch (event.type) {
        case EventType::ButtonUp:
            if (enabled_ && !readOnly_ && pos_.Contains(event.pt) && manager_ && manager_->Host())
                manager_->Host()->BeginEdit(*this);
            return;
        default:
            LabelUI::DoEvent(event);
    }
}

void EditUI::PaintStatusImage(Canvas& canvas) {
    images_.Paint(*this, canvas, {!enabled_, editing_, hot_});
}

TextStyle EditUI::Style() const {
    TextStyle style = LabelUI::Style();
    style.rightToLeft = false;
    return style;
}

void EditUI::PaintText(Canvas& canvas) {
    // The native entry shows the text while editing.
    if (!editing_) LabelUI::PaintText(canvas);
}

}  // namespace toolkit
