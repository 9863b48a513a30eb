#include "ui/CControlExUI.h"

using toolkit::PointF;

void* CControlExUI::GetInterface(std::string_view name) {
    return name == "ControlEx" ? this : Control::GetInterface(name);
}

void CControlExUI::DoPaint(toolkit::Canvas& canvas, const toolkit::Rect& clip) {
    Control::DoPaint(canvas, clip);
    const toolkit::Rect area = pos_.Intersect(clip);
    if (area.IsEmpty()) return;
    // Offsets are taken from the whole control, so a partial repaint draws the same badge.
    const double l = pos_.left, t = pos_.top, r = pos_.right, b = pos_.bottom;
    toolkit::Pen pen{borderColor_, 6.0, toolkit::LineCap::Square, toolkit::LineJoin::Miter};
    canvas.PushClip(area);
    if (name_ == "logo_install_ok") {
        canvas.DrawPolyline(
            {PointF{l + 25, t + 42}, PointF{l + 38, b - 27.08}, PointF{r - 23.5, t + 26.5}}, pen);
    } else if (name_ == "logo_install_fail") {
        canvas.DrawPolyline({PointF{l + 25.83, t + 25.83}, PointF{r - 25.83, b - 25.83}}, pen);
        canvas.DrawPolyline({PointF{r - 25.83, t + 25.83}, PointF{l + 25.83, b - 25.83}}, pen);
    }
    canvas.PopClip();
}
