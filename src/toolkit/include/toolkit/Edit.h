// Single-line text entry. While editing, the shell places a native entry over the control and
// writes its text back when editing ends.
#pragma once

#include "toolkit/Label.h"
#include "toolkit/StateLook.h"

namespace toolkit {

class EditUI : public LabelUI {
public:
    EditUI();
    std::string GetClass() const override { return "EditUI"; }
    void* GetInterface(std::string_view name) override;
    bool TakesCaptionClicks() const override { return true; }
    bool IsFocusable() const override { return !readOnly_; }
    bool IsAutoSelAll() const { return autoSelAll_; }
    bool IsReadOnly() const { return readOnly_; }
    bool IsEditing() const { return editing_; }
    void SetEditing(bool editing);

    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UiEvent& event) override;
    void PaintStatusImage(Canvas& canvas) override;
    void PaintText(Canvas& canvas) override;
    // Typed values (folders, names) read left to right in every window; only their place
    // follows the window's side.
    TextStyle Style() const override;

private:
    bool autoSelAll_ = false;
    bool readOnly_ = false;
    bool editing_ = false;
    bool hot_ = false;
    StateImages images_;
};

}  // namespace toolkit
