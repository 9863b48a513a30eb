// Read-only rich text (licence texts): marked-up text inside an inset, scrolled vertically.
#pragma once

#include "toolkit/Label.h"

namespace toolkit {

class RichEditUI : public LabelUI {
public:
    RichEditUI();
    std::string GetClass() const override { return "RichEditUI"; }
    void* GetInterface(std::string_view name) override;
    int GetScrollPos() const { return scrollY_; }
    int GetScrollRange() const;
    void SetScrollPos(int y);

    bool SetAttribute(std::string_view name, std::string_view value) override;
    void DoEvent(UiEvent& event) override;
    void PaintText(Canvas& canvas) override;
    void SetText(std::string text) override;

protected:
    Rect TextEdges() const override;

private:
    Rect inset_;
    int scrollY_ = 0;
    bool vScroll_ = true;
};

}  // namespace toolkit
