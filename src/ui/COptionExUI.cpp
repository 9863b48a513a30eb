#include "ui/COptionExUI.h"

#include "toolkit/UiManager.h"

using toolkit::PointF;

void* COptionExUI::GetInterface(std::string_view name) {
    return name == "OptionEx" ? this : OptionUI::GetInterface(name);
}

void COptionExUI::DoPaint(toolkit::Canvas& canvas, const toolkit::Rect& clip) {
    OptionUI::DoPaint(canvas, clip);
    if (name_ != "install_setting") return;
    const toolkit::Rect area = pos_.Intersect(clip);
    if (area.IsEmpty()) return;
    // The chevron follows its label, at the text's end: right to left, that is the left edge.
    const bool rightToLeft = manager_ && manager_->IsRightToLeft();
    const double t = pos_.top, middle = rightToLeft ? pos_.left + 8 : pos_.right - 8;
    const double tip = selected_ ? t + 6 : t + 11, ends = selected_ ? t + 11 : t + 6;
    const toolkit::Pen pen{textColor_, 1.5, toolkit::LineCap::Round, toolkit::LineJoin::Round};
    canvas.PushClip(area);
    canvas.DrawPolyline({PointF{middle - 5, ends}, PointF{middle, tip}}, pen);
    canvas.DrawPolyline({PointF{middle + 5, ends}, PointF{middle, tip}}, pen);
    canvas.PopClip();
}

void COptionExUI::PaintBkColor(toolkit::Canvas& canvas) {
    if (group_ != "image_play_option" || selected_) return OptionUI::PaintBkColor(canvas);
    if (bkColor_ == 0) return;
    const toolkit::Rect dot{pos_.left + 5, pos_.top, pos_.right - 5, pos_.bottom};
    if (colorRound_.IsZero())
        canvas.FillRect(dot, bkColor_);
    else
        canvas.FillRoundRect(dot, colorRound_, bkColor_);
}
