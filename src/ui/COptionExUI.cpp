#include "ui/COptionExUI.h"

using toolkit::PointF;

void* COptionExUI::GetInterface(std::string_view name) {
    return name == "OptionEx" ? this : OptionUI::GetInterface(name);
}

void COptionExUI::DoPaint(toolkit::Canvas& canvas, const toolkit::Rect& clip) {
    OptionUI::DoPaint(canvas, clip);
    if (name_ != "install_setting") return;
    const toolkit::Rect area = pos_.Intersect(clip);
    if (area.IsEmpty()) return;
    const double t = pos_.top, r = pos_.right;
    const toolkit::Pen pen{textColor_, 1.5, toolkit::LineCap::Round, toolkit::LineJoin::Round};
    canvas.PushClip(area);
    if (selected_) {
        canvas.DrawPolyline({PointF{r - 13, t + 11}, PointF{r - 8, t + 6}}, pen);
        canvas.DrawPolyline({PointF{r - 3, t + 11}, PointF{r - 8, t + 6}}, pen);
    } else {
        canvas.DrawPolyline({PointF{r - 13, t + 6}, PointF{r - 8, t + 11}}, pen);
        canvas.DrawPolyline({PointF{r - 3, t + 6}, PointF{r - 8, t + 11}}, pen);
    }
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
