#pragma once

#include "toolkit/Label.h"

namespace toolkit {

class ProgressUI : public LabelUI {
public:
    std::string GetClass() const override { return "ProgressUI"; }
    void* GetInterface(std::string_view name) override;

    bool IsHorizontal() const { return horizontal_; }
    int GetMinValue() const { return min_; }
    int GetMaxValue() const { return max_; }
    int GetValue() const { return value_; }
    void SetMinValue(int value);
    void SetMaxValue(int value);
    void SetValue(int value);
    Color GetForeColor() const { return foreColor_; }

    bool SetAttribute(std::string_view name, std::string_view value) override;
    // Draws the filled part (forecolor, then foreimage) over the background.
    void PaintStatusImage(Canvas& canvas) override;

protected:
    // The filled part, relative to the control, measured from the bar's start edge.
    Rect FilledRect() const;
    // `fromStart`, measured from the start edge of a bar `width` wide, as drawn: a horizontal bar
    // starts at its right edge in a right-to-left window, as the text around it reads.
    Rect AsDrawn(const Rect& fromStart, int width) const;

    bool horizontal_ = true;
    int min_ = 0;
    int max_ = 100;
    int value_ = 0;
    Color foreColor_ = 0;
    std::string foreImage_;
};

}  // namespace toolkit
