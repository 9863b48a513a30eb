// Text controls: Label (one text), Text (marked-up text with clickable links).
#pragma once

#include "toolkit/Control.h"
#include "toolkit/Markup.h"

namespace toolkit {

class LabelUI : public Control {
public:
    std::string GetClass() const override { return "LabelUI"; }
    void* GetInterface(std::string_view name) override;

    void SetText(std::string text) override;
    Color GetTextColor() const { return textColor_; }
    void SetTextColor(Color color);
    Color GetDisabledTextColor() const { return disabledTextColor_; }
    const Rect& GetTextPadding() const { return textPadding_; }
    void SetTextPadding(const Rect& padding);
    bool IsShowHtml() const { return showHtml_; }
    bool IsAutoCalcWidth() const { return autoCalcWidth_; }
    bool IsAutoCalcHeight() const { return autoCalcHeight_; }

    Size EstimateSize(Size available) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;
    void PaintText(Canvas& canvas) override;

    // The parsed text (markup when showhtml is on).
    const RichText& Rich() const;
    // The text style of the current state.
    virtual TextStyle Style() const;
    Rect TextRect() const;

protected:
    // Widths between the control's edges and its text.
    virtual Rect TextEdges() const { return ReadingTextPadding(); }
    // `textpadding` as the text reads: right to left, the room kept at the text's end (the
    // right side as written) lies on the left.
    Rect ReadingTextPadding() const;
    // That padding inside `inset`.
    Rect TextEdgesWithin(const Rect& inset) const;
    virtual Color StateTextColor() const;

    Color textColor_ = 0;
    Color disabledTextColor_ = 0;
    Rect textPadding_;
    HAlign align_ = HAlign::Left;
    VAlign valign_ = VAlign::Center;
    bool wordBreak_ = false;
    bool endEllipsis_ = false;
    bool showHtml_ = false;
    bool autoCalcWidth_ = false;
    bool autoCalcHeight_ = false;
    mutable RichText rich_;
    mutable bool richValid_ = false;
    int hotLink_ = -1;
};

class TextUI : public LabelUI {
public:
    TextUI();
    std::string GetClass() const override { return "TextUI"; }
    void* GetInterface(std::string_view name) override;
    bool TakesCaptionClicks() const override { return Rich().linkCount > 0; }
    int HotLink() const { return hotLink_; }
    int LinkAt(Point pt) const;
    void DoEvent(UiEvent& event) override;
    bool SetAttribute(std::string_view name, std::string_view value) override;

protected:
    Rect TextEdges() const override;

private:
    Rect inset_;
    int pressedLink_ = -1;
};

}  // namespace toolkit
